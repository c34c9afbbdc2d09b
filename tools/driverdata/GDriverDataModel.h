// The printer model of the driver's data file: a colour laser printer driven in PCL XL,
// built from the system's own classes. The build runs the generator program, which
// writes this model into the data file that is installed with the driver; the driver
// server reads it back for every new driver object.
//
// The root is a persistent composite with the members the server takes: 353 the
// peripheral holding the printer (76) with its PCL XL (101) and PJL (106) writers, 191
// the id pool, 84 the OS tray map and 194 the id map.
#pragma once

#include "foundation/RWWString.h"

#include <cstdint>
#include <vector>

class MPersistentComposite;

class GDriverDataModel {
public:
    // One offered paper: its code in the paper-size setting's code space and its size in
    // thousandths of an inch or tenths of a millimetre.
    struct Paper {
        uint16_t code;
        const char* name;
        bool metric;
        uint16_t width;
        uint16_t height;
        const char* mediaType;
    };
    // The papers of the media pool, the custom-size limits last.
    static const std::vector<Paper>& Papers();
    // The resolutions, in dots per inch, the media pool holds every paper at.
    static const std::vector<uint16_t>& PoolResolutions();

    // A new model root owned by the caller; the same tree on every call.
    static MPersistentComposite* Build();
    // Writes the model in the object-graph form through a kind-1 file stream, as the
    // driver server reads it: true when every byte was written.
    static bool Write(const RWWString& path);
};
