#include "platform/profile_store.h"

#include <memory>
#include <mutex>

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace skyvane::platform {
namespace {

constexpr char kOrganisation[] = "Skyvane";
constexpr char kApplication[] = "Skyvane";

// QSettings objects must not be shared between threads, and download and
// version check workers write while the window reads. Every access takes
// the lock and uses a QSettings of its own (Qt caches the parsed store, so
// that costs little), and every write is flushed before the lock is let go.
// Workers may still run while the program ends, so this is never destroyed.
struct StoreState {
    std::mutex mutex;
    std::string file;  // empty: the user's settings
};

StoreState& Store()
{
    static StoreState* state = new StoreState;
    return *state;
}

// Called with the lock held.
std::unique_ptr<QSettings> OpenStore()
{
    const std::string& file = Store().file;
    if (file.empty()) return std::make_unique<QSettings>(kOrganisation, kApplication);
    return std::make_unique<QSettings>(QString::fromStdString(file), QSettings::IniFormat);
}

QString KeyOf(const std::string& section, const std::string& key)
{
    return QString::fromStdString(section) + '/' + QString::fromStdString(key);
}

QVariant ReadValue(const std::string& section, const std::string& key)
{
    std::lock_guard lock(Store().mutex);
    return OpenStore()->value(KeyOf(section, key));
}

void WriteValue(const std::string& section, const std::string& key, const QVariant& value)
{
    std::lock_guard lock(Store().mutex);
    const std::unique_ptr<QSettings> store = OpenStore();
    store->setValue(KeyOf(section, key), value);
    store->sync();
}

}  // namespace

int GetProfileInt(const std::string& section, const std::string& key, int defaultValue)
{
    const QVariant value = ReadValue(section, key);
    if (!value.isValid()) return defaultValue;
    // An INI file gives every value back as text; a value that is not a
    // whole number reads like a missing one.
    bool ok = false;
    const int number = value.toInt(&ok);
    return ok ? number : defaultValue;
}

std::string GetProfileString(const std::string& section, const std::string& key,
                             const std::string& defaultValue)
{
    const QVariant value = ReadValue(section, key);
    if (!value.isValid()) return defaultValue;
    // A hand-edited INI line with unquoted commas reads back as a list.
    if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(',').toStdString();
    return value.toString().toStdString();
}

void WriteProfileInt(const std::string& section, const std::string& key, int value)
{
    WriteValue(section, key, QVariant(value));
}

void WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value)
{
    WriteValue(section, key, QVariant(QString::fromStdString(value)));
}

void UseProfileFile(const std::string& path)
{
    std::lock_guard lock(Store().mutex);
    Store().file = path;
}

}  // namespace skyvane::platform
