// How the settings tree keeps registered extensions, shared by the registration side,
// the rendering host and the UI host: the descriptor entries of list 987 under node 368,
// the settings entries of list 997 under node 367, and the descriptors rebuilt from them.
// Also the settings read that both hosts answer to their modules.
#pragma once

#include "entry/extensions/ExtensionInterface.h"
#include "foundation/RWCString.h"

#include <cstdint>

class GAttributeComposite;
class GObjectBase;

namespace ExtensionTree {

// The member of the holder with the id when it is of the class; null otherwise, so that
// a stored object of another kind counts as absent.
GObjectBase* FindComposite(GObjectBase* holder, long id);
// The 16-bit value of the entry's member with the id; the fallback when absent.
uint16_t ValueOf(GObjectBase* entry, long id, uint16_t fallback);
// The text of the entry's member with the id; empty when absent.
RWCString TextOf(GObjectBase* entry, long id);

// The list under the node of the root (987 under 368, 997 under 367); null when either
// is missing or not a composite.
GObjectBase* FindList(GObjectBase* root, long nodeId, long listId);
// A list whose only entry carries index 100 stands for an empty list.
bool IsPlaceholder(GObjectBase* list);

// The descriptor an entry of list 987 describes, each text cut to its field with the NUL.
void DescriptorFromEntry(GObjectBase* entry, ExtensionDescriptor& descriptor);
// A new entry of list 987 for the descriptor and the index.
GAttributeComposite* EntryFromDescriptor(const ExtensionDescriptor& descriptor, uint16_t index);

// Fills the slots from list 987 of the root's node 368 (entries with an index 0 to 3; a
// later entry of an index takes its slot) and the settings copies from list 997 of node
// 367. Answers the number of slots filled; descriptors are made as needed.
uint16_t ReadRegistered(GObjectBase* root, ExtensionDescriptor* descriptors[kExtensionSlots],
                        RWCString settings[kExtensionSlots]);

// The slot of the last descriptor below the count named so (compared within the name's
// 40 bytes); -1 when none is.
int SlotOfName(const ExtensionDescriptor* const descriptors[kExtensionSlots], uint16_t count, const char* name);

// The settings read both hosts answer: the bytes of the last descriptor named so copied
// into the buffer as far as it goes. 10 nothing stored, 2 buffer shorter, 0 equal, 11
// buffer longer; 1 for a null name or a null buffer with a size.
uint16_t ReadSettings(const ExtensionDescriptor* const descriptors[kExtensionSlots],
                      const RWCString settings[kExtensionSlots], uint16_t count, uint8_t* buffer, uint16_t size,
                      const char* name);

// Whether a module file name is a plain name in the driver's folder: no separators, no
// drive and no "..".
bool IsPlainModuleName(const char* name);

} // namespace ExtensionTree
