// The preference store loading whatever file it finds, and writing back what it loaded.
#include "FuzzSupport.h"

#include "platform/PlistPreferenceStore.h"
#include "platform/PropertyList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace tallowmere;

namespace {

std::string xmlOf(PropertyDictionary values) {
    return PropertyList::toXml(PropertyValue(std::move(values)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    static QTemporaryDir folder;
    const QString file = folder.filePath("com.tallowmere.app.plist");
    {
        QFile domain(file);
        fuzz::require(domain.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                          domain.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) ==
                              static_cast<qint64>(size),
                      "the domain file is written");
    }
    PropertyDictionary loaded;
    {
        PlistPreferenceStore store(file.toStdString());
        loaded = store.snapshot();
        // A write keeps every other value as it was.
        store.setBool("fuzzWrite", true);
    }
    PropertyDictionary reread = PlistPreferenceStore(file.toStdString()).snapshot();
    fuzz::require(reread.erase("fuzzWrite") == 1, "the write is there");
    loaded.erase("fuzzWrite");
    fuzz::require(xmlOf(reread) == xmlOf(loaded), "what was loaded is written back unchanged");
    // A file that cannot be read, and only such a one, is kept beside the domain as it was.
    const QStringList aside = QDir(folder.path()).entryList({"*.corrupt-*"}, QDir::Files);
    const bool readable = size == 0 || PropertyList::parseDictionary(fuzz::bytesOf(data, size)).has_value();
    fuzz::require(readable == aside.isEmpty(), "an unreadable file is moved aside");
    for (const QString& name : aside) {
        QFile kept(folder.filePath(name));
        fuzz::require(kept.open(QIODevice::ReadOnly) &&
                          kept.readAll() == QByteArray::fromRawData(reinterpret_cast<const char*>(data),
                                                                    static_cast<qsizetype>(size)),
                      "the file kept aside is the one that was there");
        kept.remove();
    }
    return 0;
}
