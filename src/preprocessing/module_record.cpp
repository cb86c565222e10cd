#include "preprocessing/module_record.h"

#include "model/variable.h"

const char* const KEFOModuleRecord::attributeName = "__MODULE_RECORD__";

KEFOModuleRecord* KEFOModuleRecord::Get(const KEFOVariable* variable) {
    if (variable == nullptr) return nullptr;
    return static_cast<KEFOModuleRecord*>(variable->GetAttributeAsPointer(attributeName, nullptr));
}

KEFOModuleRecord* KEFOModuleRecord::Obtain(KEFOVariable* variable) {
    KEFOModuleRecord* record = Get(variable);
    if (record == nullptr) {
        record = new KEFOModuleRecord();
        variable->SetAttribute(attributeName, static_cast<void*>(record), &KEFOModuleRecord::Delete);
    }
    return record;
}

void KEFOModuleRecord::Delete(void* record) { delete static_cast<KEFOModuleRecord*>(record); }
