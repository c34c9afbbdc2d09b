// The job name the producer hands to every document start: the document's own name cut
// to what a printer's job name holds, checked against the characters the printer takes.
#include "pipeline/GCommandProducer.h"

#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GStringAttribute.h"
#include "model/GTextConverter.h"
#include "model/GValueAttribute.h"

#include <cwchar>
#include <vector>

namespace {

using namespace FeatureId;

// The part of a document name that goes through the code page: a title longer than this
// keeps its start, which is all a job name of 16 characters can use.
constexpr size_t kLongestConvertedName = 4096;
// A character-range table longer than this is read to here only.
constexpr size_t kLongestRangeTable = 4096;
constexpr size_t kMostRanges = 512;

bool ValueIs(GObjectBase* holder, long id, uint16_t wanted)
{
    const GValueAttribute* value = GDriverObject::Feature<GValueAttribute>(holder, id);
    return value && value->GetValue() == wanted;
}

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void AppendUtf8(RWCString& out, uint32_t code)
{
    char bytes[4];
    size_t n = 0;
    if (code < 0x80) {
        bytes[n++] = char(code);
    } else if (code < 0x800) {
        bytes[n++] = char(0xC0 | (code >> 6));
        bytes[n++] = char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        bytes[n++] = char(0xE0 | (code >> 12));
        bytes[n++] = char(0x80 | ((code >> 6) & 0x3F));
        bytes[n++] = char(0x80 | (code & 0x3F));
    } else {
        bytes[n++] = char(0xF0 | (code >> 18));
        bytes[n++] = char(0x80 | ((code >> 12) & 0x3F));
        bytes[n++] = char(0x80 | ((code >> 6) & 0x3F));
        bytes[n++] = char(0x80 | (code & 0x3F));
    }
    out.Append(bytes, n);
}

// The code points of UTF-16 text: pairs joined, a lone surrogate as U+FFFD.
template <class F>
void ForEachCodePoint(const RWWString& text, F f)
{
    const wchar_t* data = text.Data();
    const size_t length = text.Length();
    for (size_t i = 0; i < length; ++i) {
        const wchar_t c = data[i];
        if (IsHighSurrogate(c) && i + 1 < length && IsLowSurrogate(data[i + 1])) {
            if (!f(0x10000 + ((uint32_t(c) - 0xD800) << 10) + (uint32_t(data[i + 1]) - 0xDC00)))
                return;
            ++i;
        } else if (!f(IsHighSurrogate(c) || IsLowSurrogate(c) ? 0xFFFDu : uint32_t(c))) {
            return;
        }
    }
}

RWCString ToUtf8(const RWWString& text)
{
    RWCString out;
    ForEachCodePoint(text, [&](uint32_t code) {
        AppendUtf8(out, code);
        return true;
    });
    return out;
}

// Where the text after the first "Microsoft <letters> - " starts; 0 without a match.
size_t AfterApplicationPrefix(const RWWString& text)
{
    static const wchar_t kWord[] = L"Microsoft ";
    const wchar_t* data = text.Data();
    const size_t length = text.Length();
    const size_t word = sizeof(kWord) / sizeof(kWord[0]) - 1;
    for (size_t start = 0; start + word <= length; ++start) {
        if (std::wmemcmp(data + start, kWord, word) != 0)
            continue;
        size_t i = start + word;
        const size_t letters = i;
        while (i < length && ((data[i] >= L'A' && data[i] <= L'Z') || (data[i] >= L'a' && data[i] <= L'z') ||
                              data[i] == L','))
            ++i;
        if (i > letters && i + 3 <= length && data[i] == L' ' && data[i + 1] == L'-' && data[i + 2] == L' ')
            return i + 3;
    }
    return 0;
}

// The text as the converter's code page gives it back: characters the code page lacks
// come back as its replacement or its nearest character.
RWWString ThroughCodePage(const RWWString& text)
{
    GTextConverter* converter = GetTextConverter();
    if (!converter || text.Length() == 0)
        return text;
    const size_t length = text.Length() < kLongestConvertedName ? text.Length() : kLongestConvertedName;
    std::vector<wchar_t> wide(text.Data(), text.Data() + length);
    wide.push_back(0);
    // At most four bytes for one UTF-16 unit in any code page.
    std::vector<char> narrow(4 * length + 1, 0);
    const uint32_t bytes = converter->ToNarrowText(wide.data(), narrow.data(), uint32_t(narrow.size() - 1));
    narrow[bytes < narrow.size() ? bytes : narrow.size() - 1] = 0;
    std::vector<wchar_t> back(narrow.size(), 0);
    const uint32_t units = converter->ToWideText(narrow.data(), back.data(), uint32_t(back.size() - 1));
    return RWWString(back.data(), units < back.size() ? units : back.size() - 1);
}

// Narrow text of the settings as wide text through the converter's code page.
RWWString FromCodePage(const RWCString& text)
{
    GTextConverter* converter = GetTextConverter();
    if (!converter) {
        RWWString out;
        for (size_t i = 0; i < text.Length(); ++i)
            out.Append(wchar_t(uint8_t(text.Data()[i])));
        return out;
    }
    const size_t length = text.Length() < kLongestConvertedName ? text.Length() : kLongestConvertedName;
    std::vector<char> narrow(text.Data(), text.Data() + length);
    narrow.push_back(0);
    std::vector<wchar_t> wide(length + 1, 0);
    const uint32_t units = converter->ToWideText(narrow.data(), wide.data(), uint32_t(length));
    return RWWString(wide.data(), units <= length ? units : length);
}

struct CodeRange {
    uint32_t first;
    uint32_t last;
};

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The ranges of a character-range table: hexadecimal code points, each alone or as
// first-last, separated by commas, semicolons or spaces ("0020-007E,00A0-00FF;3000").
// An entry that is not of that form, or runs backwards or past U+10FFFF, is skipped; a
// table without one good entry restricts nothing.
std::vector<CodeRange> ParseRanges(const RWCString& table)
{
    std::vector<CodeRange> ranges;
    const size_t length = table.Length() < kLongestRangeTable ? table.Length() : kLongestRangeTable;
    const char* text = table.Data();
    size_t i = 0;
    auto number = [&](uint32_t& value) {
        size_t digits = 0;
        value = 0;
        for (; i < length && HexDigit(text[i]) >= 0; ++i, ++digits)
            if (digits < 8)
                value = value << 4 | uint32_t(HexDigit(text[i]));
        return digits > 0 && digits <= 6;
    };
    while (i < length && ranges.size() < kMostRanges) {
        const char c = text[i];
        if (c == ',' || c == ';' || c == ' ' || c == '\t') {
            ++i;
            continue;
        }
        CodeRange range{0, 0};
        bool good = number(range.first);
        range.last = range.first;
        if (good && i < length && text[i] == '-') {
            ++i;
            good = number(range.last);
        }
        good = good && range.first <= range.last && range.last <= 0x10FFFF &&
               (i >= length || text[i] == ',' || text[i] == ';' || text[i] == ' ' || text[i] == '\t');
        if (good)
            ranges.push_back(range);
        // Skip the rest of a bad entry.
        while (i < length && text[i] != ',' && text[i] != ';' && text[i] != ' ' && text[i] != '\t')
            ++i;
    }
    return ranges;
}

} // namespace

// The checks keep what a job name becomes in the printer's job stream sound: a double
// quote or a control character would end or break the quoted name there, so they fail
// in Unicode names as well, whatever the range table says, and with no table at all.
RWCString GCommandProducer::MakeJobName(const RWWString& documentName)
{
    GObjectBase* document = SubState(kJobSettings);
    const bool unicode = ValueIs(document, kJobNameUnicode, 1);
    RWWString name;
    if (documentName.Length() == 0) {
        const GStringAttribute* fallback = Feature<GStringAttribute>(document, kJobNameFallback);
        if (fallback && fallback->GetString().Length() > 0)
            name = FromCodePage(fallback->GetString());
        else
            name = TimeStamp();
    } else {
        const wchar_t* data = documentName.Data();
        size_t start = 0;
        for (size_t i = 0; i < documentName.Length(); ++i)
            if (data[i] == L'/')
                start = i + 1;
        for (size_t i = start; i < documentName.Length(); ++i)
            if (data[i] == L'\\')
                start = i + 1;
        RWWString base(data + start, documentName.Length() - start);
        // A Unicode name goes out in UTF-8: the code page would turn the characters the
        // printer's ranges allow into its replacement.
        if (!unicode)
            base = ThroughCodePage(base);
        const size_t after = AfterApplicationPrefix(base);
        name = RWWString(base.Data() + after, base.Length() - after);
    }
    // The cut never leaves half of a surrogate pair behind.
    size_t keep = name.Length() < kJobNameLength ? name.Length() : kJobNameLength;
    if (keep == kJobNameLength && keep < name.Length() && IsHighSurrogate(name.Data()[keep - 1]) &&
        IsLowSurrogate(name.Data()[keep]))
        --keep;
    name = RWWString(name.Data(), keep);

    bool passes = true;
    RWWString checked;
    if (unicode) {
        const GStringAttribute* table = Feature<GStringAttribute>(GetPrinterConfiguration(), kJobNameRanges);
        const std::vector<CodeRange> ranges = table ? ParseRanges(table->GetString()) : std::vector<CodeRange>();
        ForEachCodePoint(name, [&](uint32_t code) {
            bool inRange = ranges.empty();
            for (const CodeRange& range : ranges)
                inRange = inRange || (range.first <= code && code <= range.last);
            passes = inRange && code >= 32 && code != '"';
            return passes;
        });
        checked = name;
    } else {
        for (size_t i = 0; i < name.Length() && passes; ++i) {
            wchar_t c = name.Data()[i];
            if (c >= L'a' && c <= L'z')
                c = wchar_t(c - L'a' + L'A');
            if (c < 32 || c > 126 || c == L'"')
                passes = false;
            checked.Append(c);
        }
    }
    if (!passes)
        checked = TimeStamp();
    jobName_ = checked;
    if (unicode) {
        jobText_ = ToUtf8(checked);
    } else {
        jobText_ = RWCString();
        for (size_t i = 0; i < checked.Length(); ++i)
            jobText_.Append(char(checked.Data()[i]));
    }
    if (GStringAttribute* stored = Feature<GStringAttribute>(document, kJobNameSetting))
        stored->SetString(jobText_);
    else
        jobName_ = RWWString();
    return jobText_;
}
