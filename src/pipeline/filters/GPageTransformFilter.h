// The common part of the page-geometry filters (scale, fit to size, margin emulation,
// symmetrical duplex): a transform of the filter's own put in front of every page's
// transform. At a page start the composed transform also goes on in a null command of
// its own, so that the writer takes it as the page's transform; every other command
// that carries a transform gets the filter's in front of it. A command's state is
// copied before it is changed: the same state may travel with another copy of a page.
#pragma once

#include "graphics/GTransformAttribute.h"
#include "printer/GPeripheral.h"

#include <cstdint>

class GMedia;

class GPageTransformFilter : public GPeripheral {
public:
    GPageTransformFilter();
    explicit GPageTransformFilter(const long& id);
    GPageTransformFilter(const GPageTransformFilter& other);
    ~GPageTransformFilter() override;

    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }
    // The filter neither merges nor applies the states it receives.
    void AbsorbState(GState*) override {}
    void ApplyState(const long&) override {}

    const GTransformAttribute& GetFilterTransform() const { return filterTransform_; }

    // The transform of a page without one: scale 1.0 at the media's imageable origin.
    static GTransformAttribute DefaultPageTransform(const GMedia* media);
    // The value of a 16-bit setting, or the fallback.
    static int32_t SettingOr(GObjectBase* state, long id, int32_t fallback);

    // A page's paper and an area on it (its printable area, or the area a page used), in
    // the media's units.
    struct PageArea {
        int64_t paperWidth, paperHeight;
        int64_t left, top, width, height;
    };
    // The transform that scales the source area to fill the target area one way, keeping
    // its proportions, and centres it the other way as far as the target area lets; the
    // identity when either area is empty. Origins are kept within 16 bits.
    static GTransformAttribute FitArea(const PageArea& source, const PageArea& target);
    // The value within the signed 16-bit range.
    static int16_t Clamped16(int64_t value);

protected:
    // The command's state as a copy of its own (a new state when it had none).
    static GState* OwnState(GCommand& command);
    // Puts the composition (first, second) into the state in place of its transform.
    static GTransformAttribute PutComposed(GState* state, const GTransformAttribute& first,
                                           const GTransformAttribute& second);
    // The page start followed by a null command whose graphic state carries the transform.
    static GCountedRef WithPageTransform(const GCountedRef& pageStart, const GTransformAttribute& transform);
    // Any other command: its transform gets the filter transform in front; a command
    // without one passes unchanged.
    GCountedRef ComposeIntoCommand(const GCountedRef& command) const;

    GTransformAttribute filterTransform_;
};
