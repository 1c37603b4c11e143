#include "skin/buttons/statics.h"

CzStaticRecord::~CzStaticRecord() {
    if (m_handle == nullptr) return;
    if (m_kind == LOCATION_ICON) {
        DestroyIcon(static_cast<HICON>(m_handle));
    } else {
        DeleteObject(m_handle);
    }
}

CzStaticRecord* CzStaticManager::Add(std::unique_ptr<CzStaticRecord> record) {
    m_statics.push_back(std::move(record));
    return m_statics.back().get();
}

CzStaticRecord* CzStaticManager::Find(UINT id) const {
    for (const auto& record : m_statics) {
        if (record->m_id == id) return record.get();
    }
    return nullptr;
}
