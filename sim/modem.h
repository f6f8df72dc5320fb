#pragma once
// What every modem emulator offers the transport: bytes in, reply bytes out, and its memory
// as a raw image. One implementation per modem family; none of them does any I/O.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kvsim {

class ModemMachine {
  public:
    virtual ~ModemMachine() = default;

    // One byte from the line; returns what the modem sends back (often nothing).
    virtual std::vector<uint8_t> onByte(uint8_t byte) = 0;

    // Extra pause before each reply, applied by the transport (slow-modem fault).
    virtual int replyDelayMs() const { return 0; }

    // The stored memory, byte-address order, for saving and loading image files.
    virtual std::vector<uint8_t> image() const = 0;
    // Replaces the memory; false (and nothing changed) when the size is not the model's.
    virtual bool setImage(const std::vector<uint8_t>& bytes) = 0;
    virtual std::size_t imageSize() const = 0;
};

// Raw image files: the bytes and nothing else. Both throw std::runtime_error with a
// message naming the file; a load of a file whose size is not `expectedSize` fails.
std::vector<uint8_t> loadImageFile(const std::string& path, std::size_t expectedSize);
void saveImageFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace kvsim
