// The port file read at start-up, with any content, in any case of its name, next to a stray
// file of any name. The number is the first four bytes, little-endian; a shorter file is the
// file error "Read beyond end of file"; only a file whose name is the port file's (exactly, or
// else in another case of its letters) is ever read. Input: a flag byte, a byte of letter
// cases, the stray file's name length and name, then the port file's content.
#include <fcntl.h>
#include <unistd.h>

#include <QByteArray>
#include <cctype>
#include <cstring>
#include <vector>

#include "core/model.h"
#include "fuzz/check.h"
#include "model_a/descriptor.h"
#include "model_b/descriptor.h"
#include "platform/files.h"

namespace kvfuzz {

namespace {

// The stray file's content, told apart from any port file's.
constexpr uint8_t kStrayContent[] = {0xD4, 0xC3, 0xB2, 0xA1};
constexpr int32_t kStrayNumber = static_cast<int32_t>(0xA1B2C3D4);

// Files written into the current folder, removed again whatever happens.
class Files {
  public:
    ~Files() {
        for (const QByteArray& name : names_) ::unlink(name.constData());
    }
    void write(const QByteArray& name, const uint8_t* data, std::size_t size) {
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        KV_REQUIRE(fd >= 0, "cannot write test file " + name.toStdString());
        names_.push_back(name);
        const ssize_t n = ::write(fd, data, size);
        ::close(fd);
        KV_REQUIRE(n == static_cast<ssize_t>(size), "short write of test file");
    }

  private:
    std::vector<QByteArray> names_;
};

bool sameIgnoringAsciiCase(const QByteArray& a, const QByteArray& b) {
    return a.size() == b.size() && qstrnicmp(a.constData(), b.constData(), a.size()) == 0;
}

// The name with its letters in the cases the bits of `cases` give.
QByteArray inCases(QByteArray name, uint8_t cases) {
    int letter = 0;
    for (char& c : name) {
        if (!std::isalpha(static_cast<unsigned char>(c))) continue;
        if ((cases >> (letter++ % 8)) & 1) c = static_cast<char>(std::tolower(c));
    }
    return name;
}

int32_t littleEndian(const uint8_t* b) {
    return static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                                uint32_t(b[3]) << 24);
}

}  // namespace

void checkPortFile(Bytes input) {
    if (input.size() < 3) return;
    const uint8_t flags = input[0];
    const kvcore::ModelDescriptor& model = (flags & 1) ? kvb::descriptor() : kva::descriptor();
    const QByteArray name = model.portFile.toLatin1();
    const std::size_t strayLength = std::min<std::size_t>(input[2] % 40, input.size() - 3);
    const QByteArray stray(reinterpret_cast<const char*>(input.data() + 3),
                           static_cast<qsizetype>(strayLength));
    const Bytes content = input.subspan(3 + strayLength);
    const QByteArray portName = inCases(name, input[1]);
    const bool withPortFile = flags & 2;
    const bool withStray = (flags & 4) && !stray.isEmpty() && stray != "." && stray != ".." &&
                           !stray.contains('/') && !stray.contains('\0') && stray != portName;

    Files files;
    if (withPortFile) files.write(portName, content.data(), content.size());
    if (withStray) files.write(stray, kStrayContent, sizeof kStrayContent);
    const bool strayMatches = withStray && sameIgnoringAsciiCase(stray, name);

    std::optional<int32_t> got;
    std::string error;
    try {
        got = kvcore::readPortFile(model);
    } catch (const platform::EFileError& e) {
        error = e.what();
    }

    // The exact name first; another case of its letters only when there is no exact one.
    const bool portMay = withPortFile && !(withStray && stray == name);
    const bool strayMay = strayMatches && !(withPortFile && portName == name);
    if (!portMay && !strayMay) {
        KV_REQUIRE(!got && error.empty(), "a port number or an error without a port file");
        return;
    }
    const bool readPort =
        portMay && (content.size() >= 4 ? got == littleEndian(content.data()) && error.empty()
                                        : !got && error.rfind("Read beyond end of file", 0) == 0);
    const bool readStray = strayMay && got == kStrayNumber && error.empty();
    KV_REQUIRE(readPort || readStray, "port file of " + std::to_string(content.size()) +
                                          " bytes gave " +
                                          (got ? std::to_string(*got) : "'" + error + "'"));
}

}  // namespace kvfuzz
