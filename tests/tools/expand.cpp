// SPDX-License-Identifier: MIT
// A stand-in for the Windows cabinet expander, for test runs where the system's own cannot unpack
// a cabinet of several files. It takes the same command line the program writes,
//   Expand "{cabinet}" "{folder}" -F:*
// and unpacks every file with its sub-folders through the Windows cabinet API.
#include <fcntl.h>
#include <fdi.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string g_destination;

FNALLOC(allocate) {
    return std::malloc(cb);
}
FNFREE(release) {
    std::free(pv);
}
FNOPEN(open_file) {
    return _open(pszFile, oflag | _O_BINARY, pmode);
}
FNREAD(read_file) {
    return static_cast<UINT>(_read(static_cast<int>(hf), pv, cb));
}
FNWRITE(write_file) {
    return static_cast<UINT>(_write(static_cast<int>(hf), pv, cb));
}
FNCLOSE(close_file) {
    return _close(static_cast<int>(hf));
}
FNSEEK(seek_file) {
    return _lseek(static_cast<int>(hf), dist, seektype);
}

// Creates each folder on the way to a file, as the archive names them.
void make_parents(const std::string& path) {
    for (std::size_t at = path.find('\\', g_destination.size()); at != std::string::npos;
         at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
}

void set_time(INT_PTR handle, USHORT date, USHORT time) {
    FILETIME local;
    FILETIME utc;
    if (DosDateTimeToFileTime(date, time, &local) && LocalFileTimeToFileTime(&local, &utc))
        SetFileTime(reinterpret_cast<HANDLE>(_get_osfhandle(static_cast<int>(handle))), nullptr,
                    nullptr, &utc);
}

FNFDINOTIFY(notify) {
    switch (fdint) {
        case fdintCOPY_FILE: {
            const std::string path = g_destination + pfdin->psz1;
            make_parents(path);
            return _open(path.c_str(), _O_BINARY | _O_CREAT | _O_TRUNC | _O_WRONLY,
                         _S_IREAD | _S_IWRITE);
        }
        case fdintCLOSE_FILE_INFO:
            set_time(pfdin->hf, pfdin->date, pfdin->time);
            _close(static_cast<int>(pfdin->hf));
            return TRUE;
        default:
            return 0;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: expand CABINET FOLDER -F:*\n");
        return 2;
    }
    std::string cabinet = argv[1];
    g_destination = argv[2];
    if (g_destination.back() != '\\')
        g_destination += '\\';
    const std::size_t cut = cabinet.find_last_of("\\/");
    std::string name = cabinet.substr(cut + 1);
    std::string folder = cabinet.substr(0, cut + 1);

    ERF error{};
    HFDI fdi = FDICreate(allocate, release, open_file, read_file, write_file, close_file, seek_file,
                         cpuUNKNOWN, &error);
    if (fdi == nullptr)
        return 1;
    const bool done = FDICopy(fdi, name.data(), folder.data(), 0, notify, nullptr, nullptr);
    FDIDestroy(fdi);
    if (!done)
        std::fprintf(stderr, "expand: cannot expand %s\n", cabinet.c_str());
    return done ? 0 : 1;
}
