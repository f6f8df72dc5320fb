// kvctl ports: the serial devices present. Qt's port list names them; /dev/serial/by-id
// gives their stable names; the COM numbers are resolved as the windows resolve them.
#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QMap>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSerialPortInfo>

#include "cli/verbs.h"
#include "serial/CommX.h"

namespace kvctl::detail {
namespace {

QString canonical(const QString& path) {
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? path : c;
}

// The /dev/serial/by-id names of each device.
QMap<QString, QStringList> byIdNames() {
    QMap<QString, QStringList> names;
    const QDir dir(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo& link :
         dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
        names[canonical(link.absoluteFilePath())] << link.absoluteFilePath();
    return names;
}

// The COM numbers that name each device now: KVPROG_COM<n> where it is set, /dev/ttyS<n-1>
// where it is not.
QMap<QString, QList<int>> comNumbers(const QStringList& devices) {
    QMap<QString, QList<int>> numbers;
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    static const QRegularExpression var(QStringLiteral("^KVPROG_COM([1-9][0-9]{0,2})$"));
    QList<int> candidates;
    for (const QString& key : env.keys())
        if (const auto m = var.match(key); m.hasMatch()) candidates << m.captured(1).toInt();
    for (const QString& d : devices) {
        static const QRegularExpression ttyS(QStringLiteral("^/dev/ttyS([0-9]{1,3})$"));
        if (const auto m = ttyS.match(d); m.hasMatch()) candidates << m.captured(1).toInt() + 1;
    }
    std::sort(candidates.begin(), candidates.end());
    candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
    for (const int n : candidates) {
        const QString device = canonical(QString::fromStdString(TCustomCommX::DevicePath(n)));
        numbers[device] << n;
    }
    return numbers;
}

QJsonValue textOrNull(const QString& s) {
    return s.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(s);
}

QJsonValue idOrNull(bool has, quint16 id) {
    return has ? QJsonValue(QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0')))
               : QJsonValue(QJsonValue::Null);
}

}  // namespace

void ports(Report& r) {
    struct Port {
        QString device;
        QJsonObject usb;
    };
    QList<Port> found;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        QJsonObject o{
            {"description", textOrNull(info.description())},
            {"manufacturer", textOrNull(info.manufacturer())},
            {"serial_number", textOrNull(info.serialNumber())},
            {"vendor_id", idOrNull(info.hasVendorIdentifier(), info.vendorIdentifier())},
            {"product_id", idOrNull(info.hasProductIdentifier(), info.productIdentifier())}};
        found.append({canonical(info.systemLocation()), o});
    }
    // A device a COM number names (an adapter Qt does not list, a pseudo-terminal) counts too.
    QStringList devices;
    for (const Port& p : found) devices << p.device;
    const QMap<QString, QList<int>> coms = comNumbers(devices);
    for (auto it = coms.begin(); it != coms.end(); ++it) {
        if (devices.contains(it.key()) || !QFileInfo::exists(it.key())) continue;
        found.append({it.key(), QJsonObject{{"description", QJsonValue::Null},
                                            {"manufacturer", QJsonValue::Null},
                                            {"serial_number", QJsonValue::Null},
                                            {"vendor_id", QJsonValue::Null},
                                            {"product_id", QJsonValue::Null}}});
        devices << it.key();
    }
    const QMap<QString, QStringList> byId = byIdNames();
    QJsonArray list;
    for (const Port& p : found) {
        QJsonObject o = p.usb;
        o.insert("device", p.device);
        o.insert("by_id", QJsonArray::fromStringList(byId.value(p.device)));
        QJsonArray com;
        for (const int n : coms.value(p.device)) com.append(n);
        o.insert("com", com);
        list.append(o);
    }
    r.ports = list;
    r.message = QStringLiteral("%1 serial device(s)").arg(list.size());
}

}  // namespace kvctl::detail
