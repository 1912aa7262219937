// Layouts kept in a registry value: either the layout's bytes themselves
// (a binary value) or, when a file name is given, the layout written to
// that file and the value holding the file's full path.

#include <vector>

#include "grid/TSGrid.h"
#include "platform/core/FileUtils.h"
#include "platform/core/Registry.h"
#include "platform/core/Streams.h"

void TgrBaseGrid::SaveLayoutToRegistry(const std::string& keyPath, const std::string& valueName, bool saveData,
                                       const TgrPropIdSet& ids, TgrPropKinds kinds, const std::string& fileName) {
    std::unique_ptr<TRegistry> reg = OpenRegistryPath(keyPath, true);
    if (!reg) throw ERegistryException("Registry Create Failed");
    if (!fileName.empty()) {
        std::string fullName = ExpandFileName(fileName);
        {
            TFileStream file(fullName, fmCreate);
            SaveLayoutToStream(file, kinds, saveData, ids);
        }
        reg->WriteString(valueName, fullName);
        return;
    }
    TMemoryStream stream;
    SaveLayoutToStream(stream, kinds, saveData, ids);
    const Byte* bytes = reinterpret_cast<const Byte*>(stream.Memory());
    reg->WriteBinaryData(valueName, std::vector<Byte>(bytes, bytes + stream.Size()));
}

void TgrBaseGrid::SaveLayoutToRegistryAll(const std::string& keyPath, const std::string& valueName, bool saveData,
                                          const std::string& fileName) {
    SaveLayoutToRegistry(keyPath, valueName, saveData, TgrPropIdSet::All(), PropKindBit(pkGrid) |
                         PropKindBit(pkCols) | PropKindBit(pkRows) | PropKindBit(pkCells), fileName);
}

bool TgrBaseGrid::LoadLayoutFromRegistry(const std::string& keyPath, const std::string& valueName, bool byDataCol) {
    std::unique_ptr<TRegistry> reg = OpenRegistryPath(keyPath, false);
    if (!reg || !reg->ValueExists(valueName)) return false;
    switch (reg->GetDataType(valueName)) {
        case rdString:
        case rdExpandString: {
            std::string fileName = reg->ReadString(valueName);
            if (fileName.empty()) return false;
            LoadLayoutFromFile(fileName, byDataCol);
            return true;
        }
        case rdBinary: {
            std::vector<Byte> data = reg->ReadBinaryData(valueName);
            TMemoryStream stream;
            if (!data.empty()) stream.WriteBuffer(data.data(), Integer(data.size()));
            stream.Seek(0, soBeginning);
            LoadLayoutFromStream(stream, byDataCol);
            return true;
        }
        default: return false;
    }
}
