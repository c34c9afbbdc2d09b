#include "printer/GExtensionValues.h"

#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "model/GCommand.h"
#include "model/GCommandClassIds.h"
#include "model/GFeatureIds.h"
#include "printer/GMedia.h"
#include "model/GState.h"

namespace {

// Where a getter reads when it is given no state.
enum Policy { kJob, kDocument, kPage, kPageStart, kStateOrJob };

enum Source : uint8_t { kFromJob, kFromCommand };

// By policy, for a document start, a page start and a page end; any other command, or
// none, gives nothing to read.
const Source kPlaces[][3] = {
    /* job */ {kFromJob, kFromJob, kFromJob},
    /* document */ {kFromCommand, kFromJob, kFromJob},
    /* page */ {kFromCommand, kFromCommand, kFromJob},
    /* page start */ {kFromJob, kFromCommand, kFromJob},
};

// The three commands a policy knows, as the column of kPlaces; -1 for any other.
int CommandColumn(const GCommand* command)
{
    static const RWClassID kColumns[] = {kDocumentStartClassId, kPageStartClassId, kPageEndClassId};
    if (command)
        for (int i = 0; i < 3; ++i)
            if (command->ClassId() == kColumns[i])
                return i;
    return -1;
}

// What to search, and whether it is a command's state (some keys then read the media).
struct Place {
    GObjectBase* where;
    bool commandState;
};

Place PlaceToRead(Policy policy, GObjectBase* state, const GExtensionQueryContext& context)
{
    if (state)
        return {state, false};
    if (policy == kStateOrJob)
        return {context.jobSettings, false};
    const int column = CommandColumn(context.command);
    if (column < 0)
        return {nullptr, false};
    if (kPlaces[policy][column] == kFromJob)
        return {context.jobSettings, false};
    return {context.command->GetState(), true};
}

// The setting of the feature when it is of the class named; null for any other class.
template <class T>
T* FindOfClass(GObjectBase* place, long feature)
{
    GObjectBase* found = place ? place->FindById(feature) : nullptr;
    return found && found->ClassId() == T::kClassId ? dynamic_cast<T*>(found) : nullptr;
}

bool ReadValue(GObjectBase* place, long feature, uint16_t& value)
{
    const GValueAttribute* attribute = FindOfClass<GValueAttribute>(place, feature);
    if (attribute)
        value = attribute->GetValue();
    return attribute != nullptr;
}

bool ReadMember(GObjectBase* place, long group, long member, uint16_t& value)
{
    return place && ReadValue(place->FindById(group), member, value);
}

const long kMediaFeature = 259;

uint16_t Write(uint16_t* code, uint16_t value)
{
    if (!code)
        return kExtensionValueNotFound;
    *code = value;
    return kExtensionValueWritten;
}

// Value maps: the pairs listed, then a run of values shifted by an offset, then the
// value unchanged or a fixed code.
struct CodePair {
    uint16_t from;
    uint16_t to;
};

struct CodeRun {
    uint16_t low;
    uint16_t high;
    uint16_t offset;
};

template <size_t N>
uint16_t MapCode(const CodePair (&pairs)[N], uint16_t value, uint16_t otherwise, CodeRun run = {1, 0, 0})
{
    for (const CodePair& pair : pairs)
        if (pair.from == value)
            return pair.to;
    if (value >= run.low && value <= run.high)
        return uint16_t(value + run.offset);
    return otherwise;
}

uint16_t Unchanged(uint16_t value) { return value; }
uint16_t OneOrZero(uint16_t value) { return value == 1 ? 1 : 0; }
uint16_t PaperCode(uint16_t value) { return PaperCodeToValueCode(int16_t(value)); }

uint16_t OrientationCode(uint16_t value)
{
    static const CodePair kPairs[] = {{0, 71}, {90, 72}, {180, 73}, {270, 74}};
    return MapCode(kPairs, value, value);
}

uint16_t Code130(uint16_t value)
{
    static const CodePair kPairs[] = {{0, 131}, {1, 132}, {2, 133}, {3, 134}, {4, 149}, {5, 135}, {6, 136}};
    return MapCode(kPairs, value, value, {16, 27, 121});
}

uint16_t Code150(uint16_t value)
{
    static const CodePair kPairs[] = {{0, 0}, {1, 152}, {2, 153}};
    return MapCode(kPairs, value, value);
}

uint16_t Code160(uint16_t value)
{
    static const CodePair kPairs[] = {{0, 0}, {1, 161}, {2, 162}};
    return MapCode(kPairs, value, value);
}

uint16_t Code170(uint16_t value)
{
    static const CodePair kPairs[] = {{1, 0}, {2, 172}, {4, 173}, {6, 174}, {9, 175}, {16, 176}};
    return MapCode(kPairs, value, value);
}

uint16_t Code180(uint16_t value)
{
    static const CodePair kPairs[] = {{0, 181}, {1, 182}, {2, 183}, {3, 184}};
    return MapCode(kPairs, value, value);
}

uint16_t Code191(uint16_t value) { return value <= 7 ? uint16_t(value + 192) : value; }

// The value is signed: 0xFFFF is -1.
uint16_t Code210(uint16_t value)
{
    static const CodePair kPairs[] = {{0xFFFF, 211}, {0, 0}, {1, 1}};
    return MapCode(kPairs, value, value);
}

typedef uint16_t (*ValueMap)(uint16_t value);

// The common shapes: one value attribute, one member of a group, one string attribute.

template <Policy P, long Feature, ValueMap Map>
uint16_t ValueGetter(GObjectBase* state, const GExtensionQueryContext& context, uint16_t* code)
{
    uint16_t value = 0;
    if (!ReadValue(PlaceToRead(P, state, context).where, Feature, value))
        return kExtensionValueNotFound;
    return Write(code, Map(value));
}

template <Policy P, long Group, long Member, ValueMap Map>
uint16_t MemberGetter(GObjectBase* state, const GExtensionQueryContext& context, uint16_t* code)
{
    uint16_t value = 0;
    if (!ReadMember(PlaceToRead(P, state, context).where, Group, Member, value))
        return kExtensionValueNotFound;
    return Write(code, Map(value));
}

template <Policy P, long Feature>
uint16_t MediaTypeGetter(GObjectBase* state, const GExtensionQueryContext& context, uint16_t* code)
{
    const GStringAttribute* name = FindOfClass<GStringAttribute>(PlaceToRead(P, state, context).where, Feature);
    if (!name)
        return kExtensionValueNotFound;
    return Write(code, MediaTypeNameToCode(name->GetString()));
}

// The writer, by class id alone: the writers need not be known here.
uint16_t WriterGetter(GObjectBase*, const GExtensionQueryContext& context, uint16_t* code)
{
    static const CodePair kWriters[] = {{kPclXlWriterClassId, 12}, {kPcl5eWriterClassId, 11}};
    if (context.writer)
        for (const CodePair& writer : kWriters)
            if (context.writer->ClassId() == writer.from)
                return Write(code, writer.to);
    return kExtensionValueNotFound;
}

// A command's state carries the paper as media; a state or the job settings as its code.
uint16_t PaperGetter(GObjectBase* state, const GExtensionQueryContext& context, uint16_t* code)
{
    const Place place = PlaceToRead(kPage, state, context);
    uint16_t paper = 0;
    if (place.commandState) {
        const GMedia* media = FindOfClass<GMedia>(place.where, kMediaFeature);
        if (!media)
            return kExtensionValueNotFound;
        paper = media->GetMediaId();
    } else if (!ReadValue(place.where, FeatureId::kPaperSize, paper)) {
        return kExtensionValueNotFound;
    }
    return Write(code, PaperCode(paper));
}

// Paper width and height, imageable width and height, then the top, bottom, left and
// right margins, in the media's dots.
template <int Measure>
uint16_t MediaGetter(GObjectBase* state, const GExtensionQueryContext& context, uint16_t* code)
{
    if (state)
        return kExtensionValueStateGiven;
    const GMedia* media = FindOfClass<GMedia>(PlaceToRead(kPage, nullptr, context).where, kMediaFeature);
    if (!media)
        return kExtensionValueNotFound;
    const GMediaPair paper = media->GetPaperSize();
    const GMediaPair extent = media->GetImageableExtent();
    const GMediaPair origin = media->GetImageableOrigin();
    const GMediaPair far = media->GetFarMargins();
    const uint16_t measures[] = {paper.x, paper.y, extent.x, extent.y, origin.y, far.y, origin.x, far.x};
    return Write(code, measures[Measure]);
}

uint16_t OrientationGetter(GObjectBase* state, const GExtensionQueryContext& context, uint16_t* code)
{
    const Place place = PlaceToRead(kPage, state, context);
    uint16_t orientation = 0;
    if (place.commandState) {
        const GMedia* media = FindOfClass<GMedia>(place.where, kMediaFeature);
        if (!media)
            return kExtensionValueNotFound;
        orientation = uint16_t(media->GetOrientation());
    } else if (!ReadValue(place.where, 265, orientation)) {
        return kExtensionValueNotFound;
    }
    return Write(code, OrientationCode(orientation));
}

uint16_t MediaTypeFromPageGetter(GObjectBase* state, const GExtensionQueryContext& context, uint16_t* code)
{
    const Place place = PlaceToRead(kPage, state, context);
    if (!place.commandState)
        return MediaTypeGetter<kPage, 261>(state, context, code);
    const GMedia* media = FindOfClass<GMedia>(place.where, kMediaFeature);
    if (!media)
        return kExtensionValueNotFound;
    return Write(code, MediaTypeNameToCode(media->GetSecondString()));
}

// Read only beside setting 278 in the same place.
uint16_t Getter191(GObjectBase* state, const GExtensionQueryContext& context, uint16_t* code)
{
    GObjectBase* place = PlaceToRead(kDocument, state, context).where;
    uint16_t value = 0;
    if (!ReadValue(place, 278, value) || !ReadValue(place, 289, value))
        return kExtensionValueNotFound;
    return Write(code, Code191(value));
}

// The x and y resolution and a third member, all three needed.
uint16_t ResolutionGetter(GObjectBase* state, const GExtensionQueryContext& context, uint16_t* code)
{
    struct Row {
        uint16_t x;
        uint16_t y;
        int32_t third; // -1: any
        uint16_t code;
    };
    static const Row kRows[] = {{300, 300, 1, 201}, {600, 600, 1, 202}, {600, 600, 2, 204}, {1200, 1200, -1, 203}};
    GObjectBase* place = PlaceToRead(kPage, state, context).where;
    uint16_t x = 0, y = 0, third = 0;
    if (!ReadMember(place, 249, 323, x) || !ReadMember(place, 249, 324, y) || !ReadMember(place, 249, 325, third))
        return kExtensionValueNotFound;
    for (const Row& row : kRows)
        if (row.x == x && row.y == y && (row.third < 0 || row.third == third))
            return Write(code, row.code);
    return Write(code, x);
}

// Member 444 comes from the given state, else the job settings, whatever the command.
uint16_t Getter210(GObjectBase* state, const GExtensionQueryContext& context, uint16_t* code)
{
    uint16_t value = 0;
    if (!ReadMember(state ? state : context.jobSettings, 365, 444, value) || value == 0xFFFF)
        return Write(code, 211);
    if (!ReadValue(PlaceToRead(kDocument, state, context).where, 442, value))
        return kExtensionValueNotFound;
    return Write(code, Code210(value));
}

// Always writes: 0 unless the setting says otherwise.
uint16_t Getter245(GObjectBase* state, const GExtensionQueryContext& context, uint16_t* code)
{
    uint16_t value = 0;
    bool set = false;
    if (state)
        set = ReadValue(state, FeatureId::kCollate, value) && value == 1;
    else if (CommandColumn(context.command) >= 0)
        set = ReadValue(context.jobSettings, 247, value) && value > 1;
    Write(code, set ? 1 : 0);
    return kExtensionValueWritten;
}

struct GetterRow {
    uint16_t key;
    ExtensionValueGetter getter;
};

const GetterRow kGetters[] = {
    {10, WriterGetter},
    {30, PaperGetter},
    {60, MediaGetter<0>},
    {61, MediaGetter<1>},
    {62, MediaGetter<2>},
    {63, MediaGetter<3>},
    {64, MediaGetter<4>},
    {65, MediaGetter<5>},
    {66, MediaGetter<6>},
    {67, MediaGetter<7>},
    {70, OrientationGetter},
    {80, MediaTypeFromPageGetter},
    {81, MediaTypeGetter<kJob, 262>},
    {82, MediaTypeGetter<kJob, 973>},
    {110, ValueGetter<kPageStart, 258, SourceCodeToValueCode>},
    {111, ValueGetter<kJob, 263, SourceCodeToValueCode>},
    {112, ValueGetter<kJob, 921, SourceCodeToValueCode>},
    {130, ValueGetter<kDocument, 248, Code130>},
    {150, ValueGetter<kPage, 253, Code150>},
    {160, ValueGetter<kDocument, 279, Code160>},
    {165, ValueGetter<kJob, 280, PaperCode>},
    {170, MemberGetter<kDocument, 329, 266, Code170>},
    {180, MemberGetter<kDocument, 329, 268, Code180>},
    {190, ValueGetter<kDocument, 278, Unchanged>},
    {191, Getter191},
    {200, ResolutionGetter},
    {210, Getter210},
    {220, ValueGetter<kDocument, 270, OneOrZero>},
    {224, ValueGetter<kDocument, 271, OneOrZero>},
    {230, ValueGetter<kDocument, 269, Unchanged>},
    {240, ValueGetter<kDocument, 291, Unchanged>},
    {245, Getter245},
    {250, ValueGetter<kJob, 272, PaperCode>},
    {260, MemberGetter<kStateOrJob, 365, 239, OneOrZero>},
    {261, MemberGetter<kStateOrJob, 365, 308, OneOrZero>},
    {262, MemberGetter<kStateOrJob, 365, 925, Unchanged>},
    {263, MemberGetter<kStateOrJob, 365, 307, Unchanged>},
    {264, MemberGetter<kStateOrJob, 365, 310, OneOrZero>},
    {265, ValueGetter<kDocument, 252, Unchanged>},
};

} // namespace

ExtensionValueGetter FindExtensionValueGetter(uint16_t key)
{
    for (const GetterRow& row : kGetters)
        if (row.key == key)
            return row.getter;
    return nullptr;
}

uint16_t PaperCodeToValueCode(int16_t paperCode)
{
    static const CodePair kPapers[] = {{1, 31},  {6, 32},  {8, 40},  {13, 42}, {14, 43}, {15, 41}, {16, 44},
                                       {17, 34}, {21, 35}, {22, 36}, {23, 33}, {27, 37}, {39, 38}, {40, 39},
                                       {41, 47}, {42, 48}, {43, 50}, {44, 49}, {55, 46}};
    return MapCode(kPapers, uint16_t(paperCode), 59);
}

uint16_t SourceCodeToValueCode(uint16_t sourceCode)
{
    static const CodePair kSources[] = {{1, 116}, {2, 126},  {3, 117},  {4, 127},  {5, 128},
                                        {6, 115}, {13, 118}, {18, 114}, {19, 113}, {20, 119}};
    return MapCode(kSources, sourceCode, sourceCode, {21, 26, 99});
}
