#include "cli/options.h"

#include <QCommandLineParser>

#include "cli/kit.h"
#include "cli/multiport.h"

namespace kvctl {
namespace {

enum Opt : unsigned {
    Model = 1 << 0,
    Port = 1 << 1,
    Output = 1 << 2,
    Image = 1 << 3,
    Base = 1 << 4,
    Pdf = 1 << 5,
    Format = 1 << 6,
    Yes = 1 << 7,
    Trace = 1 << 8,
    NoBackup = 1 << 9,
    WithCalibration = 1 << 10,
    Ports = 1 << 11,    // several ports at once (multiport.h)
    Station = 1 << 12,  // --station and its --log (station.h)
    Watchdog = 1 << 13,
};

struct Verb {
    const char* name;
    const char* synopsis;
    const char* summary;
    unsigned options;
    int minFiles, maxFiles;
    const char* fileName;  // the positional argument in the synopsis
};

const Verb kVerbs[] = {
    {"read", "read --model M --port P [--port P ...] [-o FILE.dat] [--image FILE.img]",
     "Reads the modem (the windows' Receive) into a settings file, as Save As writes it after "
     "a Receive, and/or into its raw 256-byte memory image.",
     Model | Port | Ports | Watchdog | Output | Image | Trace, 0, 0, nullptr},
    {"write",
     "write --model M --port P [--port P ...] [--station --log FILE] [--no-backup] FILE.dat",
     "Writes a settings file into the modem (the windows' Transmit) after the same checks, "
     "then reads the memory back and compares every byte written. Before the first write it "
     "reads the whole memory and keeps it as a backup image. Exit 0 only when the compare "
     "passed. With --station, the production station's loop: on every port, wait for a "
     "modem, write and verify it, log it, wait for it to be removed, and again.",
     Model | Port | Ports | Watchdog | Station | Trace | NoBackup, 1, 1, "FILE.dat"},
    {"verify", "verify --model M --port P [--port P ...] FILE.dat",
     "Reads the modem and compares it with a settings file field by field, plus any byte no "
     "field explains. Exit 0 only when they match.",
     Model | Port | Ports | Watchdog | Trace, 1, 1, "FILE.dat"},
    {"show", "show FILE.dat | --model M --port P [--format text|json|csv]",
     "Shows a settings file, or a modem's memory, as the grid and the set-mode controls show "
     "it. The model of a file is known from its size (824 bytes: KV417R, 800: KV93x).",
     Model | Port | Format | Trace, 0, 1, "FILE.dat"},
    {"import", "import TABLE.csv --model M -o OUT.dat [--base FILE.dat]",
     "Makes a settings file from a channel table in CSV (the columns show --format csv "
     "writes), each row checked as Set checks it; the set-mode values come from --base or "
     "the defaults. One bad cell refuses the whole table and writes nothing.",
     Model | Output | Base, 1, 1, "TABLE.csv"},
    {"erase", "erase --model M --port P [--port P ...] --yes [--no-backup]",
     "The factory window's EEPROM INIT: every byte of the modem's memory becomes FF, then it "
     "is read back and checked. Refused without --yes, and outside production mode. The "
     "memory is kept as a backup image first.",
     Model | Port | Ports | Watchdog | Yes | Trace | NoBackup, 0, 0, nullptr},
    {"restore", "restore --model M --port P [--with-calibration] [--no-backup] IMAGE.img",
     "Writes a 256-byte memory image (a backup) back into the modem with the words a table "
     "write sends, the calibration untouched, then reads the memory back and compares those "
     "bytes. --with-calibration (production mode only) writes every word and compares all "
     "256 bytes. The memory is kept as a backup image first.",
     Model | Port | Trace | NoBackup | WithCalibration, 1, 1, "IMAGE.img"},
    {"print", "print FILE.dat --pdf OUT.pdf [--model M]",
     "Writes the printed Setting Data List of a settings file as a PDF file, without a "
     "display.",
     Model | Pdf, 1, 1, "FILE.dat"},
    {"ports", "ports",
     "Lists the serial devices present, with their /dev/serial/by-id names and, "
     "for USB adapters, vendor, product and serial number.",
     0, 0, 0, nullptr},
};

const Verb* findVerb(const QString& name) {
    for (const Verb& v : kVerbs)
        if (name == QLatin1String(v.name)) return &v;
    return nullptr;
}

struct OptionSpec {
    unsigned bit;
    QStringList names;
    const char* valueName;
    const char* help;
};

const QList<OptionSpec>& optionSpecs() {
    static const QList<OptionSpec> specs = {
        {Model, {"model"}, "M", "the modem model: KV417R, KV938R, KV935R or KV931R"},
        {Port, {"port"}, "P", "port number n (COMn, as the windows resolve it) or a device path"},
        {Ports,
         {"ports"},
         "FILE",
         "more ports, one a line; a line that begins with # is a comment"},
        {Station, {"station"}, nullptr, "the production station's loop, until Ctrl-C"},
        {Station, {"log"}, "FILE", "the station's log: one JSON line per unit, appended"},
        {Watchdog, {"watchdog"}, "S", "stop a port's run silent for S seconds (60)"},
        {Output, {"o", "output"}, "FILE", "the settings file to write"},
        {Image, {"image"}, "FILE.img", "also write the raw 256-byte memory image"},
        {Base, {"base"}, "FILE.dat", "take the set-mode values from this settings file"},
        {Pdf, {"pdf"}, "OUT.pdf", "the PDF file to write"},
        {Format, {"format"}, "F", "text (default), json or csv"},
        {Yes, {"yes"}, nullptr, "really erase"},
        {Trace, {"trace"}, "FILE", "write the protocol trace of the run into FILE"},
        {NoBackup, {"no-backup"}, nullptr, "no backup read before writing, no image kept"},
        {WithCalibration,
         {"with-calibration"},
         nullptr,
         "also the calibration words; production mode only"},
    };
    return specs;
}

const char* const kCommon =
    "  --json          print the JSON report on stdout, an array of them with several ports\n"
    "                  (schema in kvctl(1))\n"
    "  --production    production mode, as the marker file in the current folder gives it\n"
    "  -h, --help      this help\n";

QString optionLine(const OptionSpec& s) {
    QString names;
    for (const QString& n : s.names) {
        if (!names.isEmpty()) names += QStringLiteral(", ");
        names += (n.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + n;
    }
    if (s.valueName) names += QLatin1Char(' ') + QLatin1String(s.valueName);
    return QStringLiteral("  %1%2\n").arg(names, -16).arg(QLatin1String(s.help));
}

const char* const kSeveralPorts =
    "With more than one port the verb runs on all of them at once, each port on its own: one "
    "result per port (--json: an array of reports), the exit code the most serious of them.";

QString verbHelp(const Verb& v) {
    QString text = QStringLiteral("usage: kvctl %1\n\n%2\n\n")
                       .arg(QLatin1String(v.synopsis), QLatin1String(v.summary));
    if (v.options & Ports) text += QLatin1String(kSeveralPorts) + QStringLiteral("\n\n");
    text += QStringLiteral("options:\n");
    for (const OptionSpec& s : optionSpecs())
        if (v.options & s.bit) text += optionLine(s);
    return text + QLatin1String(kCommon);
}

QString generalHelp() {
    QString text = QStringLiteral(
        "usage: kvctl VERB [options] [FILE]\n\n"
        "Programs KV417R, KV938R, KV935R and KV931R modems from the command line, with the\n"
        "frames, checks and files of the kvprog_a and kvprog_b windows.\n\nverbs:\n");
    for (const Verb& v : kVerbs)
        text += QStringLiteral("  kvctl %1\n").arg(QLatin1String(v.synopsis));
    text += QStringLiteral(
        "\n'kvctl VERB --help' tells more of each. Also: kvctl --version.\n"
        "Exit codes: 0 success, 1 difference or read-back NG, 2 usage or input file, 3 setting\n"
        "refused, 4 port cannot be opened, 5 communication error, 6 modem not initialised,\n"
        "7 output file not written, 8 a port's run crashed or stopped answering, 130 interrupted.\n"
        "With several ports: the most serious, in the order 130, 8, 5, 4, 6, 1, 7, 3, 2.\n"
        "See kvctl(1).\n");
    return text;
}

}  // namespace

QStringList verbNames() {
    QStringList names;
    for (const Verb& v : kVerbs) names << QString::fromLatin1(v.name);
    return names;
}

QString verbOf(const QStringList& arguments) {
    for (const QString& a : arguments)
        if (!a.startsWith(QLatin1Char('-'))) return a;
    return {};
}

Parsed parseCommandLine(const QStringList& arguments) {
    Parsed parsed;
    if (arguments.isEmpty()) throw UsageError("no verb given; 'kvctl --help' lists them");
    const QString first = arguments.first();
    if (first == QLatin1String("--help") || first == QLatin1String("-h") ||
        first == QLatin1String("help")) {
        const Verb* v = arguments.size() > 1 ? findVerb(arguments[1]) : nullptr;
        parsed.request = Request::Help;
        parsed.helpText = v ? verbHelp(*v) : generalHelp();
        return parsed;
    }
    if (first == QLatin1String("--version")) {
        parsed.request = Request::Version;
        return parsed;
    }
    const Verb* verb = findVerb(first);
    if (!verb)
        throw UsageError(QStringLiteral("unknown verb '%1'; the verbs: %2")
                             .arg(first, verbNames().join(QStringLiteral(", ")))
                             .toStdString());

    QCommandLineParser p;
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const OptionSpec& s : optionSpecs())
        if (verb->options & s.bit)
            p.addOption(s.valueName ? QCommandLineOption(s.names, s.help, s.valueName)
                                    : QCommandLineOption(s.names, s.help));
    p.addOption({"json", "JSON report"});
    p.addOption({"production", "production mode"});
    if (verb->options & Port) p.addOption({"worker", "one port's run under several"});
    p.addOption({{"h", "help"}, "help"});
    if (!p.parse(QStringList{QStringLiteral("kvctl")} + arguments.mid(1)))
        throw UsageError(p.errorText().toStdString());
    if (p.isSet("help")) {
        parsed.request = Request::Help;
        parsed.helpText = verbHelp(*verb);
        return parsed;
    }

    Options& o = parsed.options;
    o.verb = first;
    const auto value = [&](unsigned bit, const char* name) {
        return (verb->options & bit) ? p.value(QLatin1String(name)) : QString();
    };
    o.model = value(Model, "model");
    if (verb->options & Port) o.ports = p.values(QStringLiteral("port"));
    if (verb->options & Ports && p.isSet("ports")) o.ports += readPortsFile(p.value("ports"));
    o.port = o.ports.value(0);
    o.station = (verb->options & Station) && p.isSet("station");
    o.log = value(Station, "log");
    o.worker = (verb->options & Port) && p.isSet("worker");
    o.output = value(Output, "output");
    o.image = value(Image, "image");
    o.base = value(Base, "base");
    o.pdf = value(Pdf, "pdf");
    o.trace = value(Trace, "trace");
    o.noBackup = (verb->options & NoBackup) && p.isSet("no-backup");
    o.withCalibration = (verb->options & WithCalibration) && p.isSet("with-calibration");
    if (verb->options & Format && p.isSet("format")) o.format = p.value("format");
    o.yes = (verb->options & Yes) && p.isSet("yes");
    o.json = p.isSet("json");
    o.production = p.isSet("production");
    o.files = p.positionalArguments();

    const auto usage = [&](const QString& why) {
        throw UsageError(QStringLiteral("%1\nusage: kvctl %2")
                             .arg(why, QLatin1String(verb->synopsis))
                             .toStdString());
    };
    if (o.files.size() < verb->minFiles)
        usage(QStringLiteral("%1 needs %2").arg(first, QLatin1String(verb->fileName)));
    if (o.files.size() > verb->maxFiles)
        usage(QStringLiteral("%1 takes %2")
                  .arg(first, verb->maxFiles == 0 ? QStringLiteral("no file")
                                                  : QStringLiteral("one file")));
    if (!o.model.isEmpty() && !kitForModel(o.model))
        usage(QStringLiteral("unknown model '%1'; the models: %2")
                  .arg(o.model, modelNames().join(QStringLiteral(", "))));
    const bool needsModem =
        (verb->options & Port) && !(o.verb == QLatin1String("show") && !o.files.isEmpty());
    if (o.verb == QLatin1String("show") && o.files.isEmpty() && o.port.isEmpty())
        usage(QStringLiteral("show needs FILE.dat, or --model and --port"));
    if (needsModem && o.model.isEmpty()) usage(QStringLiteral("%1 needs --model").arg(first));
    if (needsModem && o.port.isEmpty()) usage(QStringLiteral("%1 needs --port").arg(first));
    if (o.verb == QLatin1String("show") && !o.files.isEmpty() && !o.port.isEmpty())
        usage(QStringLiteral("show takes a file or a port, not both"));
    if (o.verb == QLatin1String("import") && o.model.isEmpty())
        usage(QStringLiteral("import needs --model"));
    if (o.verb == QLatin1String("import") && o.output.isEmpty())
        usage(QStringLiteral("import needs -o OUT.dat"));
    if (o.verb == QLatin1String("read") && o.output.isEmpty() && o.image.isEmpty())
        usage(QStringLiteral("read needs -o FILE.dat and/or --image FILE.img"));
    if (o.verb == QLatin1String("print") && o.pdf.isEmpty())
        usage(QStringLiteral("print needs --pdf OUT.pdf"));
    if (o.ports.size() > 1 && !(verb->options & Ports))
        usage(QStringLiteral("%1 takes one --port").arg(first));
    if (o.ports.size() > 1 && o.worker) usage(QStringLiteral("--worker takes one --port"));
    if (const QString twice = portGivenTwice(o.ports); !twice.isEmpty())
        usage(QStringLiteral("port %1 is given twice").arg(twice));
    if (o.station && o.log.isEmpty() && !o.worker)
        usage(QStringLiteral("--station needs --log FILE"));
    if (!o.log.isEmpty() && !o.station) usage(QStringLiteral("--log belongs to --station"));
    if (verb->options & Watchdog && p.isSet("watchdog")) {
        bool isNumber = false;
        o.watchdogSeconds = p.value("watchdog").toInt(&isNumber);
        if (!isNumber || o.watchdogSeconds < 1)
            usage(QStringLiteral("--watchdog takes a number of seconds from 1"));
    }
    if (!QStringList{"text", "json", "csv"}.contains(o.format))
        usage(QStringLiteral("unknown format '%1'; text, json or csv").arg(o.format));
    return parsed;
}

}  // namespace kvctl
