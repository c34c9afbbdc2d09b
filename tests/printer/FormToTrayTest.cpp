// The form-to-tray database: answers for missing and default rows, one row per key, and
// a stored form without the defaults.
#include "model/GCountedRef.h"
#include "model/GValueAttribute.h"
#include "printer/GFormToTrayAssociation.h"
#include "printer/GFormToTrayDatabase.h"

#include "../model/StoredForms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

TEST(GFormToTrayDatabaseRows, DefaultsAnswerForMissingRowsAndDoNotCustomize)
{
    GFormToTrayDatabase database(510);
    EXPECT_EQ(0, database.IsCustomized());
    EXPECT_EQ(0, database.GetFirstValue(9));
    EXPECT_EQ(11913, database.GetSecondValue(9));
    database.SetAssociation(1, 0, 11913);
    database.ResetAssociation(2);
    EXPECT_EQ(0, database.IsCustomized());
    EXPECT_EQ(11913, database.GetSecondNonDefault());
    database.SetAssociation(3, 3, 11913);
    EXPECT_EQ(1, database.IsCustomized());

    // A key set again keeps one row, now last.
    database.SetAssociationNamed(1, 5, 40, L"Letter");
    std::vector<uint16_t> keys;
    database.ListKeys(keys);
    EXPECT_EQ((std::vector<uint16_t>{2, 3, 1}), keys);
    EXPECT_EQ(3, database.GetFirstNonDefault());
    EXPECT_EQ(40, database.GetSecondNonDefault());
    EXPECT_EQ(40, database.GetSecondByFirst(5));
    EXPECT_EQ(5, database.GetFirstBySecond(40));
    EXPECT_EQ(1, database.ContainsPair(5, 40));
    EXPECT_EQ(1, database.ContainsFirstValueNamed(5, L"Letter"));
    EXPECT_EQ(0, database.ContainsFirstValueNamed(5, L"Lette"));
    database.RemoveAssociation(3);
    database.RemoveAssociation(3);
    EXPECT_EQ(0, database.HasKey(3));
    EXPECT_EQ(5, database.GetFirstNonDefault());

    // Members that are no rows are never answered.
    database.RemoveAll();
    database.GetAssociations().Add(new GValueAttribute(7, 0));
    EXPECT_EQ(nullptr, database.FindByKey(0));
    EXPECT_EQ(0, database.IsCustomized());
}

// Stored data may hold two rows for one key: the first answers, and setting or removing
// the key leaves no row of it behind.
TEST(GFormToTrayDatabaseRows, AKeyWithTwoRowsLosesBoth)
{
    for (bool reset : {false, true}) {
        SCOPED_TRACE(reset);
        GFormToTrayDatabase database(510);
        database.GetAssociations().Add(new GFormToTrayAssociation(4, 1, 20));
        database.SetAssociation(5, 3, 30);
        database.GetAssociations().Add(new GFormToTrayAssociation(4, 2, 40));
        EXPECT_EQ(1, database.GetFirstValue(4));
        EXPECT_EQ(20, database.GetSecondValue(4));
        std::vector<uint16_t> keys;
        if (reset) {
            database.SetAssociation(4, 6, 60);
            database.ListKeys(keys);
            EXPECT_EQ((std::vector<uint16_t>{5, 4}), keys);
            EXPECT_EQ(6, database.GetFirstValue(4));
            EXPECT_EQ(0, database.ContainsFirstValue(2));
        } else {
            database.RemoveAssociation(4);
            database.ListKeys(keys);
            EXPECT_EQ(std::vector<uint16_t>{5}, keys);
            EXPECT_EQ(0, database.HasKey(4));
        }
    }
}

// The rows' composite lives inside the database, as made, as read and as copied: a
// counted holder that lets it go never deletes it.
TEST(GFormToTrayDatabaseRows, TheRowCompositeIsDeletedByItsDatabaseOnly)
{
    GFormToTrayDatabase made(510), read;
    made.SetAssociation(1, 2, 3);
    std::unique_ptr<GFormToTrayDatabase> copy(made.Copy());
    for (GFormToTrayDatabase* database : {&made, &read, copy.get()}) {
        GAttributeComposite& rows = database->GetAssociations();
        ASSERT_TRUE(rows.IsEmbedded());
        { GCountedRef holder(&rows); }
        EXPECT_EQ(-1, rows.References());
    }
    EXPECT_EQ(2, copy->GetFirstValue(1));
}

// The same database with other defaults stores the same bytes, and a copy read back
// answers the constructor's defaults, not the ones the stored database had.
TEST(GFormToTrayDatabaseStore, DefaultsAreNeverStoredAndComeBackFromTheConstructor)
{
    GFormToTrayDatabase database(510);
    database.SetAssociation(1, 0, 0);
    database.SetAssociation(2, 5, 7);
    const std::vector<uint8_t> bytes = GutsBytes(database);
    database.SetDefaults(9, 1234);
    EXPECT_EQ(bytes, GutsBytes(database));
    for (Medium medium : kAllMedia) {
        std::unique_ptr<GObjectBase> back = GraphRoundTrip(medium, &database);
        GFormToTrayDatabase* copy = dynamic_cast<GFormToTrayDatabase*>(back.get());
        ASSERT_NE(nullptr, copy) << medium;
        EXPECT_TRUE(copy->IsSame(&database));
        EXPECT_EQ(11913, copy->GetSecondValue(3));
        EXPECT_EQ(5, copy->GetFirstNonDefault());
    }
}

TEST(GFormToTrayAssociationStore, FormNameIsCountedUtf16)
{
    GFormToTrayAssociation row(4, 1, 2, L"A4");
    const std::vector<uint8_t> bytes = GutsBytes(row);
    const std::vector<uint8_t> tail = StoredBytes().U32(2).U16('A').U16('4');
    ASSERT_GE(bytes.size(), tail.size());
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), bytes.end() - long(tail.size())));
}
