// The views that are neither memos nor bands: line, picture, shape, check box, region and
// the dialog-page controls; rich text has its own header, included here.
#pragma once

#include "report/engine/canvas/rm_graphic.h"
#include "report/engine/rm_rich_view.h"
#include "report/engine/rm_view.h"

#include <QImage>

class QWidget;

namespace pq {

// Registers the named constants of the picture, shape, check-box and calculated-memo views
// (their first views do it anyway): after this, making such a view only reads the constants,
// so an output thread can read pages back while expressions are evaluated.
void RMRegisterViewConstants();

// ---- line ----

class TRMLineView : public TRMStretcheable {
public:
    TRMLineView();

    std::unique_ptr<TRMView> Create() const override { return std::make_unique<TRMLineView>(); }
    QString ClassName() const override { return QStringLiteral("TRMLineView"); }
    // Drawn as one frame side: the top one when it is less high than wide, else the left
    // one; the other extent becomes 0.
    void Draw(QPainter* canvas) override;
    // A line is as tall as it was designed: it has no content to follow.
    int CalcHeight() override { return Height; }
    int MinHeight() override { return 1; }
    int RemainHeight() override { return 0; }
    int LostHeight() override { return 0; }
};

struct TRMPictureFields {
    TRMGraphic Picture;
    std::uint8_t BlobType = btBMP;
    QString DataField;
};

class TRMPictureView : public TRMView, public TRMPictureFields {
public:
    // Flags bits of a picture.
    static constexpr int flPictStretched = 0x0001;
    static constexpr int flPictCenter = 0x0002;
    static constexpr int flPictKeepAspect = 0x0004;
    static constexpr int flPictTransparent = 0x0008;

    TRMPictureView();

    const TRMPropTable* PropTable() const override;
    Variant DoMethod(const QString& name, const QList<Variant>& args) override;
    std::unique_ptr<TRMView> Create() const override { return std::make_unique<TRMPictureView>(); }
    QString ClassName() const override { return QStringLiteral("TRMPictureView"); }
    QString GetDescription() const override;
    void Draw(QPainter* canvas) override;
};

struct TRMShapeFields {
    enum TRMShapeKind : int {
        skRectangle = 0, skRoundRectangle = 1, skEllipse = 2, skTriangle = 3,
        skDiagonal1 = 4, skDiagonal2 = 5, skSquare = 100, skRoundSquare = 101, skCircle = 102,
    };
    std::uint8_t Shape = skRectangle;
    std::uint8_t PenMode = 4; // pmCopy
};

class TRMShapeView : public TRMView, public TRMShapeFields {
public:
    TRMShapeView();

    const TRMPropTable* PropTable() const override;
    std::unique_ptr<TRMView> Create() const override { return std::make_unique<TRMShapeView>(); }
    QString ClassName() const override { return QStringLiteral("TRMShapeView"); }
    QString GetDescription() const override { return QStringLiteral("[Shape]"); }
    void Draw(QPainter* canvas) override;
};

struct TRMCheckBoxFields {
    enum TRMCheckStyle : int { csCross = 0, csCheck = 1 };
    std::uint8_t CheckStyle = csCross;
    std::uint32_t CheckColor = 0;
};

class TRMCheckBoxView : public TRMView, public TRMCheckBoxFields {
public:
    TRMCheckBoxView();

    const TRMPropTable* PropTable() const override;
    std::unique_ptr<TRMView> Create() const override { return std::make_unique<TRMCheckBoxView>(); }
    QString ClassName() const override { return QStringLiteral("TRMCheckBoxView"); }
    QString GetDescription() const override { return QStringLiteral("[CheckBox]"); }
    void Draw(QPainter* canvas) override;
    // The mark shows for a first line that is there, not empty and not beginning with "0".
    static bool Checked(const QStringList& lines);
    // The printed first line: the value of the first line as an expression, rounded to an
    // integer (a value that is no number prints as its text, null as nothing).
    static QString PrintedValue(const Variant& value);
};

class TRMRegionView : public TRMView {
public:
    TRMRegionView();

    bool IsBandMember() const override { return false; }
    std::unique_ptr<TRMView> Create() const override { return std::make_unique<TRMRegionView>(); }
    QString ClassName() const override { return QStringLiteral("TRMRegionView"); }
    void Draw(QPainter* canvas) override;
};

// Controls of a dialog page; outside the print path. A concrete control places itself on
// the dialog form it is given.
class TRMControl : public TRMView {
public:
    virtual void PlaceControl(QWidget* form) = 0;
    void Draw(QPainter*) override {}
};

class TRMNonVisualControl : public TRMControl {
public:
    void PlaceControl(QWidget*) override {}
};

} // namespace pq
