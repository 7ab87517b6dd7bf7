#include "modules/common/ModuleDialog.h"

#include "abi/ConstUnit.h"
#include "base/Cp1251.h"
#include "base/MessageBox.h"
#include "base/PluginDialogLibrary.h"

namespace orv {

void* ModuleDialogEntry(const std::string& libraryFile, const char* symbol) {
    if (void* entry = DialogEntryPoint(libraryFile, symbol)) return entry;
    ShowMessage("Диалог настройки не найден: ui/"_cp1251 + libraryFile, "Ошибка"_cp1251, mbError);
    return nullptr;
}

} // namespace orv
