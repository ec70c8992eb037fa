// macsim's machine state loaded from whatever machine.json holds, and the tool output made from it.
#include "FuzzSupport.h"

#include "simulator/MachineState.h"
#include "simulator/VolumeInfo.h"

#include "platform/PropertyList.h"

#include <QJsonDocument>

using namespace tallowmere;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    macsim::MachineState state = macsim::MachineState::fromJson(document.object());
    // The state it saves loads as the same state.
    const QJsonObject saved = state.toJson();
    fuzz::require(macsim::MachineState::fromJson(saved).toJson() == saved, "a saved machine loads unchanged");
    for (const macsim::Volume& volume : state.volumes) {
        fuzz::require(state.findVolumeByDevice(volume.device) != nullptr, "a volume is found by its device");
        PropertyList::toXml(PropertyValue(macsim::volumeInfo(volume)));
        PropertyList::toXml(PropertyValue(macsim::wholeDiskInfo(volume)));
    }
    return 0;
}
