#include "cli/kit.h"

namespace kvctl {

const ModelKit* kitForModel(const QString& name, QString* canonical) {
    const struct {
        const char* name;
        const ModelKit& kit;
    } models[] = {{"KV417R", kv417rKit()},
                  {"KV938R", kv93xKit()},
                  {"KV935R", kv93xKit()},
                  {"KV931R", kv93xKit()}};
    for (const auto& m : models) {
        if (name.compare(QLatin1String(m.name), Qt::CaseInsensitive) == 0) {
            if (canonical) *canonical = QString::fromLatin1(m.name);
            return &m.kit;
        }
    }
    return nullptr;
}

const ModelKit* kitForFileSize(qint64 size) {
    for (const ModelKit* kit : {&kv417rKit(), &kv93xKit()})
        if (kit->blockSize() == size) return kit;
    return nullptr;
}

QStringList modelNames() {
    return {"KV417R", "KV938R", "KV935R", "KV931R"};
}

QStringList trimmed(const QStringList& texts) {
    QStringList out;
    for (const QString& t : texts) out << t.trimmed();
    return out;
}

}  // namespace kvctl
