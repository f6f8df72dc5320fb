#pragma once
// Golden memory images and files kept under tests/data/ (raw bytes, also loadable by
// `kvmodem --load`).
#include <QByteArray>
#include <QString>
#include <algorithm>
#include <stdexcept>

namespace kvtest {

// The bytes of tests/data/<name>; std::runtime_error when it cannot be read.
QByteArray testData(const QString& name);

// A memory image from tests/data/<name>; std::runtime_error unless it has the image's size.
template <class Memory>
Memory memoryImage(const QString& name) {
    const QByteArray bytes = testData(name);
    Memory m{};
    if (static_cast<std::size_t>(bytes.size()) != m.size())
        throw std::runtime_error(name.toStdString() + " is not a memory image");
    std::copy(bytes.begin(), bytes.end(), m.begin());
    return m;
}

}  // namespace kvtest
