// An in-memory client data set: loads a server result packet, or is created empty with
// text fields of given byte sizes and appended to. Fields are found by name without regard
// to case (PostgreSQL folds unquoted names to lower case) or by position; the names are
// indexed once per packet, so a lookup by name costs one hash probe however many rows read it.
//
// A data set may be placed on a form under a name, as a form's components are; reports then
// reach it as form.name. Data sources (base/data_source.h) watch it: every change of its rows
// or of its current record is told to them, unless its controls are disabled.
#pragma once

#include "base/result_packet.h"
#include "base/variant.h"

#include <QHash>
#include <QPointer>
#include <QStringList>

#include <stdexcept>

namespace pq {

class DataSetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TextFieldDef {
    QString name;
    int size = 0; // GBK bytes
};

// What a data set tells the data sources that watch it.
class ClientDataSetObserver {
public:
    virtual ~ClientDataSetObserver() = default;
    // The rows, the fields or the active state changed.
    virtual void DataSetChanged() = 0;
    // Only the current record moved.
    virtual void DataSetScrolled() = 0;
    // The data set is going away.
    virtual void DataSetDestroyed() = 0;
};

class ClientDataSet {
public:
    ClientDataSet() = default;
    // A copy takes the fields and rows, not the name on a form nor the watchers.
    ClientDataSet(const ClientDataSet& other);
    ClientDataSet& operator=(const ClientDataSet& other);
    ~ClientDataSet();

    // Places the data set on owner under name (an empty name takes it off); the form's name
    // and this name are how reports reach it.
    void SetOwnerAndName(QObject* owner, const QString& name);
    QObject* Owner() const { return m_owner; }
    const QString& Name() const { return m_name; }
    // The named data set on owner (case-insensitive), or nullptr.
    static ClientDataSet* FindOn(const QObject* owner, const QString& name);

    void AddObserver(ClientDataSetObserver* observer);
    void RemoveObserver(ClientDataSetObserver* observer);
    // While disabled (counted), watchers hear nothing; the last enable tells them of any
    // change at once.
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return m_disabled > 0; }

    // Loads a result packet; throws DataSetError when data holds no packet (an error
    // array, say). The cursor is on the first row.
    void LoadPacket(const Variant& data);
    // Creates an empty, open data set with the given text fields.
    void CreateTextFields(const QList<TextFieldDef>& fields);

    bool Active() const { return m_active; }
    void Close();
    // Removes every row; the fields stay.
    void EmptyDataSet();

    bool IsEmpty() const { return m_rows.isEmpty(); }
    int RecordCount() const { return static_cast<int>(m_rows.size()); }
    int RecNo() const { return m_cursor; } // 0-based
    void First();
    void Next();
    bool Eof() const;
    // Moves to the given 0-based row; false when out of range.
    bool MoveTo(int row);

    int FieldCount() const { return static_cast<int>(m_fields.size()); }
    const PacketField& Field(int index) const;
    // -1 when there is no field of that name; the first of equal names.
    int FieldIndex(const QString& name) const;
    // The same; throws DataSetError for a name that is no field (as Value(name) does).
    int RequireFieldIndex(const QString& name) const { return RequireField(name); }
    // A field's display format and label (the label reads as the name until set).
    void SetDisplayFormat(int index, const QString& format);
    void SetDisplayLabel(int index, const QString& label);
    QString DisplayLabel(int index) const;

    // Values of the current row. NULL reads as empty text. Throw DataSetError for an
    // unknown field or when there is no current row.
    Variant Value(const QString& name) const;
    Variant Value(int index) const;
    QString Text(const QString& name) const;
    QString Text(int index) const;
    // A value of any row (0-based), without moving the cursor; NULL outside the rows.
    Variant ValueAt(int row, int index) const;
    // A value of any row as a grid shows it: empty for NULL, outside the rows, for an
    // unknown field or a value that has no text.
    QString TextAt(int row, int index) const;

    // Appends a row; a text longer than its field is cut to the field's GBK size at a
    // character boundary. Missing values are empty; extra values are an error.
    void AppendRecord(const QStringList& values);
    // Appends a row of typed values (missing ones NULL); text is cut as above.
    void AppendValues(const QList<Variant>& values);

private:
    enum class Change { Data, Scroll };
    void Notify(Change change);
    void RequireActive() const;
    int RequireField(const QString& name) const;
    const QList<Variant>& CurrentRow() const;
    // Builds the name index after the fields changed.
    void IndexFields();

    bool m_active = false;
    QList<PacketField> m_fields;
    QHash<QString, int> m_fieldIndex; // case-folded name -> first field of that name
    QList<QList<Variant>> m_rows;
    int m_cursor = 0;

    QPointer<QObject> m_owner;
    QString m_name;
    QList<ClientDataSetObserver*> m_observers;
    int m_disabled = 0;
    bool m_pendingData = false;
    bool m_pendingScroll = false;
};

} // namespace pq
