// A data source watching a client data set: what it passes on, what disabled controls hold
// back, and what happens when either side goes first; and a data set placed on a form.
#include "base/client_dataset.h"
#include "base/data_source.h"

#include <QObject>

#include <gtest/gtest.h>

#include <memory>

namespace pq {
namespace {

std::unique_ptr<ClientDataSet> ThreeRows()
{
    auto d = std::make_unique<ClientDataSet>();
    d->CreateTextFields({{"code", 4}, {"name", 20}});
    for (const char* code : {"01", "02", "03"})
        d->AppendRecord({QString::fromLatin1(code), QStringLiteral("n")});
    return d;
}

TEST(DataSource, PassesOnChangesAndMovesUnlessControlsAreDisabled)
{
    auto d = ThreeRows();
    TDataSource source(nullptr, d.get());
    int changed = 0, moved = 0;
    QObject::connect(&source, &TDataSource::DataChanged, [&] { ++changed; });
    QObject::connect(&source, &TDataSource::RecordMoved, [&] { ++moved; });

    d->First();
    d->Next();
    d->MoveTo(1); // already there: nothing
    EXPECT_EQ(moved, 2);
    d->AppendRecord({"04", "x"});
    d->SetDisplayLabel(1, QStringLiteral("名称"));
    EXPECT_EQ(changed, 2);
    EXPECT_EQ(d->DisplayLabel(0), "code") << "a label reads as the name until set";
    EXPECT_EQ(d->DisplayLabel(1), "名称");

    // Disabled (twice, so counted): nothing until the last enable, then one change.
    d->DisableControls();
    d->DisableControls();
    for (d->First(); !d->Eof(); d->Next()) {
    }
    d->AppendRecord({"05", "y"});
    d->EnableControls();
    EXPECT_EQ(changed, 2);
    EXPECT_EQ(moved, 2);
    d->EnableControls();
    EXPECT_EQ(changed, 3) << "one change for everything held back, the moves included";
    EXPECT_EQ(moved, 2);
    d->EnableControls(); // one enable too many is harmless
    EXPECT_FALSE(d->ControlsDisabled());

    // Only moves held back: one move afterwards.
    d->DisableControls();
    d->First();
    d->Next();
    d->EnableControls();
    EXPECT_EQ(moved, 3);

    // A disabled source passes nothing on and shows no data set.
    const int before = changed;
    source.SetEnabled(false);
    d->Next();
    EXPECT_EQ(moved, 3);
    EXPECT_EQ(source.ActiveDataSet(), nullptr);
    EXPECT_EQ(source.DataSet(), d.get());
    source.SetEnabled(true);
    EXPECT_EQ(changed, before + 2) << "each switch is a change";
}

TEST(DataSource, EitherSideMayGoFirst)
{
    auto d = ThreeRows();
    {
        TDataSource shortLived(nullptr, d.get());
    }
    d->Next(); // the source that went no longer hears it
    auto source = std::make_unique<TDataSource>(nullptr, d.get());
    int changed = 0;
    QObject::connect(source.get(), &TDataSource::DataChanged, [&] { ++changed; });
    d.reset();
    EXPECT_EQ(source->DataSet(), nullptr) << "the data set went";
    EXPECT_EQ(changed, 1);
}

TEST(DataSource, ADataSetPlacedOnAFormIsFoundThereByNameAndACopyIsNotPlaced)
{
    QObject form;
    form.setObjectName(QStringLiteral("frmA"));
    QObject other;
    auto d = ThreeRows();
    d->SetOwnerAndName(&form, QStringLiteral("cdsList"));
    EXPECT_EQ(ClientDataSet::FindOn(&form, QStringLiteral("CDSLIST")), d.get());
    EXPECT_EQ(ClientDataSet::FindOn(&other, QStringLiteral("cdsList")), nullptr);
    EXPECT_EQ(ClientDataSet::FindOn(&form, QString()), nullptr);

    const ClientDataSet copy = *d;
    EXPECT_EQ(copy.RecordCount(), 3);
    EXPECT_TRUE(copy.Name().isEmpty());
    EXPECT_EQ(ClientDataSet::FindOn(&form, QStringLiteral("cdsList")), d.get());

    d.reset();
    EXPECT_EQ(ClientDataSet::FindOn(&form, QStringLiteral("cdsList")), nullptr) << "gone with the data set";

    // A typed row: values keep their types, text is cut to its field, missing values are NULL.
    ClientDataSet typed;
    typed.CreateTextFields({{"name", 4}, {"n", 0}, {"rest", 0}});
    typed.AppendValues({Variant(QStringLiteral("现金支票")), Variant::FromInt(7)});
    EXPECT_EQ(typed.Text(0), "现金");
    EXPECT_EQ(typed.Value(1).type(), Variant::Type::Integer);
    EXPECT_TRUE(typed.ValueAt(0, 2).isNull());
    EXPECT_TRUE(typed.ValueAt(5, 0).isNull()) << "outside the rows";
    EXPECT_THROW(typed.AppendValues({Variant(), Variant(), Variant(), Variant()}), DataSetError);
}

} // namespace
} // namespace pq
