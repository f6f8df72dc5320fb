#include "sim/modem.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace kvsim {

namespace {
std::runtime_error fileError(const std::string& what, const std::string& path) {
    return std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}
}  // namespace

std::vector<uint8_t> loadImageFile(const std::string& path, std::size_t expectedSize) {
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) throw fileError("cannot open", path);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                               std::istreambuf_iterator<char>()};
    if (in.bad()) throw fileError("cannot read", path);
    if (bytes.size() != expectedSize)
        throw std::runtime_error(path + " holds " + std::to_string(bytes.size()) +
                                 " bytes, a memory image has " + std::to_string(expectedSize));
    return bytes;
}

void saveImageFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    // Written beside the target and renamed, so an interrupted save never leaves half an image.
    const std::string temp = path + ".tmp";
    {
        errno = 0;
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) throw fileError("cannot create", temp);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            std::remove(temp.c_str());
            throw fileError("cannot write", temp);
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        const auto error = fileError("cannot replace", path);
        std::remove(temp.c_str());
        throw error;
    }
}

}  // namespace kvsim
