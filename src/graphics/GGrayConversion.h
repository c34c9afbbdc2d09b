// Three ways of turning red, green and blue into one 8-bit gray level: a fixed
// weighting, a weighting loaded from the printer's data, and a set of tables loaded from
// the printer's data that blend a toned level in as the colour grows more colourful.
// The loaded weights and tables are module-wide and unlocked: a job's producer loads
// them when it is set up and reads them while it converts.
#pragma once

#include <cstddef>
#include <cstdint>

uint8_t GrayFixed(uint8_t red, uint8_t green, uint8_t blue);

// Byte 0 is the shift, bytes 1 to 3 the red, green and blue weights. False, with
// nothing changed, for fewer than 4 bytes.
bool SetGrayWeights(const uint8_t* weights, size_t length);
// The weighted sum shifted right; the shift counts below 32 and the level stops at 255.
uint8_t GrayByWeights(uint8_t red, uint8_t green, uint8_t blue);

// Five tables of 256 bytes in this order: red, green, blue, tone and colourfulness
// weight. False, with nothing changed, for fewer than 1280 bytes.
const size_t kGrayTablesSize = 1280;
bool LoadGrayTables(const uint8_t* tables, size_t length);
uint8_t GrayByTables(uint8_t red, uint8_t green, uint8_t blue);
