// The records of the enhanced colour-adjustment attributes in the compact settings-tree
// form: the tag byte (19 for the enhanced attribute, 20 for the third generation), the
// version 1 and the attribute id (16 bits each in portable mode, 32 bits otherwise),
// then one byte per value, read from the attribute pair by pair.
#pragma once

#include <cstdint>

class GChromafitBase;
class GObjectBase;
class RWDataInStream;
class RWDataOutStream;

const uint8_t kChromafitEnhancedTag = 19;
const uint8_t kChromafitVer2Tag = 20;

// Writes the record of an attribute of class 797 or 1201: 1 when whole. Another class
// writes nothing; a refused pair stops the record there and answers 0.
int WriteChromafitRecord(const GObjectBase* attribute, RWDataOutStream& stream, bool portable);

// Reads the record that follows a tag byte of 19 or 20: a new attribute of the tag's
// class (the caller owns it), or null for another tag, a version other than 1 (unless
// checkVersion is false: the settings-tree reader takes any version) or a record cut
// short.
GChromafitBase* ReadChromafitRecord(uint8_t tag, RWDataInStream& stream, bool portable, bool checkVersion = true);
