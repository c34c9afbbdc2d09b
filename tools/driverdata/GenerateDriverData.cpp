// The build's generator of the driver's data file: writes the printer model to the path
// given as its one argument. A path of the build machine (beginning with a slash) is
// taken on the drive Wine maps the host's root to.
#include "GDriverDataModel.h"

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: qzgendata <data file>\n");
        return 2;
    }
    std::wstring path = argv[1];
    if (!path.empty() && path[0] == L'/')
        path = L"Z:" + path;
    if (!GDriverDataModel::Write(RWWString(path.c_str()))) {
        std::fprintf(stderr, "qzgendata: the data file could not be written\n");
        return 1;
    }
    return 0;
}
