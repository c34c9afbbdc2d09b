// Which form is loaded in which input tray, with the media type it carries: one row per
// key. The sheets key each row by its tray id, with the paper code of the form as the
// first value (the paper lists keep to the codes the table holds) and the media type as
// the second. Rows that hold the defaults (0, media type "Unspecified") answer like
// missing rows; the defaults themselves are never stored.
#pragma once

#include "foundation/RWWString.h"
#include "model/GAttributeComposite.h"

#include <cstdint>
#include <vector>

class GFormToTrayAssociation;

class GFormToTrayDatabase : public GPersistent<GFormToTrayDatabase, GAttribute, 1012> {
public:
    static constexpr const char* kClassName = "GFormToTrayDatabase";
    GFormToTrayDatabase* CreateNew() const override { return new GFormToTrayDatabase; }
    GFormToTrayDatabase* Copy() const override { return new GFormToTrayDatabase(*this); }

    // The string id of "Unspecified".
    static constexpr uint16_t kUnspecified = 11913;

    GFormToTrayDatabase();
    explicit GFormToTrayDatabase(const long& id);
    // Rows shared with the source.
    GFormToTrayDatabase(const GFormToTrayDatabase& other);
    GFormToTrayDatabase& operator=(const GFormToTrayDatabase& other);
    ~GFormToTrayDatabase() override;

    // The same class and id and equal row composites.
    bool IsSame(const GObjectBase* other) const override;
    // Answers 1; no visitor is called.
    int16_t ApplyTo(GAttributeVisitor& visitor) override;

    // Each setter removes the key's row and appends the new one.
    void SetAssociation(uint16_t key, uint16_t first, uint16_t second);
    void SetAssociationNamed(uint16_t key, uint16_t first, uint16_t second, const RWWString& formName);
    void ResetAssociation(uint16_t key);
    void RemoveAssociation(uint16_t key);
    void RemoveAll();

    // The key's value, else the default.
    uint16_t GetFirstValue(uint16_t key) const;
    uint16_t GetSecondValue(uint16_t key) const;
    // The first value (second value) of the first row that differs from its default,
    // else the default.
    uint16_t GetFirstNonDefault() const;
    uint16_t GetSecondNonDefault() const;
    uint16_t GetSecondByFirst(uint16_t first) const;
    uint16_t GetFirstBySecond(uint16_t second) const;
    // The first matching row, borrowed; null when none.
    GFormToTrayAssociation* FindByKey(uint16_t key) const;
    GFormToTrayAssociation* FindByFirstValue(uint16_t first) const;
    GFormToTrayAssociation* FindBySecondValue(uint16_t second) const;

    int HasKey(uint16_t key) const { return FindByKey(key) ? 1 : 0; }
    int ContainsFirstValue(uint16_t first) const { return FindByFirstValue(first) ? 1 : 0; }
    int ContainsSecondValue(uint16_t second) const { return FindBySecondValue(second) ? 1 : 0; }
    int ContainsPair(uint16_t first, uint16_t second) const;
    int ContainsFirstValueNamed(uint16_t first, const RWWString& formName) const;
    // 1 when some row holds a value other than its default.
    int IsCustomized() const;
    // Appends every row's key in row order.
    void ListKeys(std::vector<uint16_t>& keys) const;

    uint16_t GetDefaultFirst() const { return defaultFirst_; }
    // The values a missing row answers; a stored database brings its own.
    void SetDefaults(uint16_t first, uint16_t second) { defaultFirst_ = first, defaultSecond_ = second; }
    uint16_t GetDefaultSecond() const { return defaultSecond_; }
    GAttributeComposite& GetAssociations() { return associations_; }

    // The row composite's own form, written inline rather than as an object reference.
    auto StoredForm() { return GFields(GHook(*this)); }
    template <class In>
    bool ReadStored(In& in);
    template <class Out>
    void WriteStored(Out& out) const;
    uint32_t StoredSize() const { return associations_.BinaryStoreSize(); }

private:
    // The first row for which match answers true; members of other classes are skipped.
    template <class Match>
    GFormToTrayAssociation* FirstRow(Match match) const;

    uint16_t defaultSecond_;
    uint16_t defaultFirst_;
    GAttributeComposite associations_;
};
