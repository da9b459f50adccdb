// Helpers of the memo tests: fixed-pitch measuring, scripted report services, a recording
// prepared-page target and the engine mode for one scope.
#pragma once

#include "report/engine/memo/rm_memo.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/expr/variables.h"
#include "report/engine/rm_engine_state.h"
#include "report/engine/startup/rm_engine_startup.h"

#include <QMap>

#include <vector>

namespace pq::test {

// The engine started for a test: layout measures with the given measurer (Qt's when none
// is given) and memos evaluate through the given services (by default the base answers:
// text as it is, no scripts).
class StartedEngine {
public:
    explicit StartedEngine(const TRMTextMeasurer* measurer = nullptr, TRMMemoServices* services = nullptr)
        : m_engine(Options(measurer, services ? services : &m_defaults))
    {
    }

private:
    static TRMEngineOptions Options(const TRMTextMeasurer* measurer, TRMMemoServices* services)
    {
        TRMEngineOptions o = TRMEngineOptions::Headless();
        o.Measurer = measurer;
        o.MemoServices = services;
        return o;
    }

    TRMMemoServices m_defaults;
    TRMEngineStartup m_engine;
};

// Layout measures with the fixed measurer (6 pixels a byte at 10 points) for a test.
class FixedMeasuring {
public:
    explicit FixedMeasuring(TRMMemoServices* services = nullptr) : m_engine(&m_measurer, services) {}

private:
    TRMFixedTextMeasurer m_measurer;
    StartedEngine m_engine;
};

// Brackets are looked up in a table; highlight conditions read a flag. A test starts the
// engine with them (FixedMeasuring) and passes them to the calls that take services.
class ScriptedServices : public TRMMemoServices {
public:
    QMap<QString, QString> values; // "[name]" → text
    bool blankRows = false;
    Variant highlight;
    Variant dataField;
    QStringList scripts;           // view name + ":" + first line, in order

    bool PrintingBlankRows() override { return blankRows; }
    void SetPrintingBlankRows(bool on) override { blankRows = on; }
    QString ExpandText(TRMView&, const QString& text, bool) override
    {
        QString out = text;
        for (auto it = values.begin(); it != values.end(); ++it)
            out.replace(it.key(), blankRows ? QString() : it.value());
        return out;
    }
    bool DataFieldValue(TRMMemoView&, Variant& value) override
    {
        value = dataField;
        return !dataField.isEmpty();
    }
    Variant Evaluate(TRMView&, const QString&) override { return highlight; }
    void RunScript(TRMView& view, const QStringList& script) override
    {
        if (!script.isEmpty())
            scripts << view.Name + QLatin1Char(':') + script.first();
    }
};

// The copies a memo prints, kept as snapshots.
class RecordingTarget : public TRMStreamOutTarget {
public:
    struct Copy {
        QString name;
        int top = 0, height = 0;
        QStringList text;
        int fontStyle = 0;
        std::uint32_t fontColor = 0, fill = 0;
        QString tag;
        int writes = 1;
    };
    std::vector<Copy> copies;
    int pageStart = 0; // copies before this index belong to earlier pages

    qint64 WriteView(TRMView& view) override
    {
        copies.push_back(Snap(view));
        return static_cast<qint64>(copies.size()) - 1;
    }
    void RewriteView(qint64 handle, TRMView& view) override
    {
        const int writes = copies.at(static_cast<size_t>(handle)).writes;
        copies.at(static_cast<size_t>(handle)) = Snap(view);
        copies.at(static_cast<size_t>(handle)).writes = writes + 1;
    }
    bool IsCopyOf(qint64 handle, const TRMView& view) const override
    {
        return handle >= pageStart && handle < static_cast<qint64>(copies.size())
            && copies[static_cast<size_t>(handle)].name == view.Name;
    }

private:
    static Copy Snap(TRMView& view)
    {
        Copy c;
        c.name = view.Name;
        c.top = view.Top;
        c.height = view.Height;
        c.text = view.Memo1;
        c.fill = view.FillColor;
        c.tag = view.Tag;
        if (auto* m = dynamic_cast<TRMMemoView*>(&view)) {
            c.fontStyle = m->Font.Style;
            c.fontColor = m->Font.Color;
        }
        return c;
    }
};

// Sets the engine's mode for a scope.
class EngineMode {
public:
    explicit EngineMode(bool previewing, bool printing = false, bool designing = false)
        : m_saved(RMEngineState())
    {
        RMEngineState().Previewing = previewing;
        RMEngineState().Printing = printing;
        RMEngineState().Designing = designing;
    }
    ~EngineMode() { RMEngineState() = m_saved; }

private:
    TRMEngineState m_saved;
};

} // namespace pq::test
