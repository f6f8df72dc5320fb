#pragma once
// A file image written field by field at its offsets, little-endian, independent of the
// structs the programs read it into. `Self` is the model's image type, so that its own
// field writers chain with these.
#include <QByteArray>
#include <cstdint>
#include <cstring>

namespace kvtest {

template <class Self>
class LeImage {
  public:
    explicit LeImage(int size) : bytes_(size, '\0') {}
    // Starts from a whole file's bytes.
    explicit LeImage(const QByteArray& bytes) : bytes_(bytes) {}

    Self& u8(int offset, uint8_t v) {
        bytes_[offset] = static_cast<char>(v);
        return self();
    }
    Self& i32(int offset, int32_t v) {
        const auto u = static_cast<uint32_t>(v);
        for (int i = 0; i < 4; ++i) bytes_[offset + i] = static_cast<char>((u >> (8 * i)) & 0xFF);
        return self();
    }
    Self& f64(int offset, double v) {
        uint64_t u;
        std::memcpy(&u, &v, 8);
        for (int i = 0; i < 8; ++i) bytes_[offset + i] = static_cast<char>((u >> (8 * i)) & 0xFF);
        return self();
    }

    const QByteArray& bytes() const { return bytes_; }

  private:
    Self& self() { return static_cast<Self&>(*this); }
    QByteArray bytes_;
};

}  // namespace kvtest
