// The user's regional settings as one persistent record: eleven numbers and twelve
// texts, each named after the value of the user's international settings that fills
// it. A new record holds the defaults; its maker sets what the system reports.
#pragma once

#include "foundation/RWCString.h"
#include "model/GPersistent.h"

#include <cstdint>

class GLocaleInfo : public GPersistent<GLocaleInfo, GObjectBase, 3> {
public:
    static constexpr const char* kClassName = "GLocaleInfo";
    GLocaleInfo* CreateNew() const override { return new GLocaleInfo; }
    GLocaleInfo* Copy() const override { return new GLocaleInfo(*this); }

    // The numbers and the texts, in field order.
    enum Number {
        kICountry,
        kICurrDigits,
        kICurrency,
        kIDate,
        kIDigits,
        kILZero,
        kIMeasure,
        kINegCurr,
        kITime,
        kITLZero,
        kLocale,
        kNumberCount
    };
    enum Text {
        kS1159,
        kS2359,
        kSCountry,
        kSCurrency,
        kSDate,
        kSDecimal,
        kSLanguage,
        kSList,
        kSLongDate,
        kSShortDate,
        kSThousand,
        kSTime,
        kTextCount
    };

    // Every field at its default.
    GLocaleInfo();
    explicit GLocaleInfo(const long& id);
    GLocaleInfo(const GLocaleInfo& other) = default;
    GLocaleInfo& operator=(const GLocaleInfo& other) = default;
    ~GLocaleInfo() override;

    // The numbers, then the texts, in field order. A restore changes nothing unless
    // every field arrived.
    // The same class and id, and every number and text equal.
    bool IsSame(const GObjectBase* other) const override { return SameStored(other); }

    // The name of the setting that fills a field.
    static const char* NumberName(Number field);
    static const char* TextName(Text field);

    // Field access by index, for makers that fill the record from a table of names and
    // for readers; a field out of range is ignored (0 or an empty text when read). A
    // null text is empty.
    int32_t GetNumber(Number field) const;
    const RWCString& GetText(Text field) const;
    void SetNumber(Number field, int32_t value);
    void SetText(Text field, const char* text);

    // One setter per field, in field order.
    void SetICountry(int32_t value) { SetNumber(kICountry, value); }
    void SetICurrDigits(int32_t value) { SetNumber(kICurrDigits, value); }
    void SetICurrency(int32_t value) { SetNumber(kICurrency, value); }
    void SetIDate(int32_t value) { SetNumber(kIDate, value); }
    void SetIDigits(int32_t value) { SetNumber(kIDigits, value); }
    void SetILZero(int32_t value) { SetNumber(kILZero, value); }
    void SetIMeasure(int32_t value) { SetNumber(kIMeasure, value); }
    void SetINegCurr(int32_t value) { SetNumber(kINegCurr, value); }
    void SetITime(int32_t value) { SetNumber(kITime, value); }
    void SetITLZero(int32_t value) { SetNumber(kITLZero, value); }
    void SetLocale(int32_t value) { SetNumber(kLocale, value); }
    void SetS1159(const char* text) { SetText(kS1159, text); }
    void SetS2359(const char* text) { SetText(kS2359, text); }
    void SetSCountry(const char* text) { SetText(kSCountry, text); }
    void SetSCurrency(const char* text) { SetText(kSCurrency, text); }
    void SetSDate(const char* text) { SetText(kSDate, text); }
    void SetSDecimal(const char* text) { SetText(kSDecimal, text); }
    void SetSLanguage(const char* text) { SetText(kSLanguage, text); }
    void SetSList(const char* text) { SetText(kSList, text); }
    void SetSLongDate(const char* text) { SetText(kSLongDate, text); }
    void SetSShortDate(const char* text) { SetText(kSShortDate, text); }
    void SetSThousand(const char* text) { SetText(kSThousand, text); }
    void SetSTime(const char* text) { SetText(kSTime, text); }

    // Every number (as a long), then every text.
    auto StoredForm()
    {
        return GFields(GArray(numbers_, [](int32_t& number) { return GFields(GStoredAs<long>(number)); }),
                       GArray(texts_, [](RWCString& text) { return GFields(text); }));
    }
    // Nothing to check: read through a staged copy for the arrays.
    bool Settle() { return true; }

private:
    void SetDefaults();

    int32_t numbers_[kNumberCount];
    RWCString texts_[kTextCount];
};
