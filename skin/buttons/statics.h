// Statics of a canvas: texts, pictures and icons drawn into its
// composition; not windows.
#pragma once

#include <memory>
#include <vector>

#include "gdi/image_list.h"
#include "skin/canvas/location.h"

struct CzStaticRecord : CzLocation {
    ~CzStaticRecord();
    CzStaticRecord() = default;
    CzStaticRecord(const CzStaticRecord&) = delete;
    CzStaticRecord& operator=(const CzStaticRecord&) = delete;

    UINT m_id = 0;
    HANDLE m_handle = nullptr;  // text: background picture or null; image: picture; icon: icon (owned)
    bool m_enabled = true;
    bool m_visible = true;
    UINT m_format = 0;
    UINT m_font = 0;  // index into the package's fonts
    COLORREF m_colour = 0;
};

class CzStaticManager {
public:
    CzStaticRecord* Add(std::unique_ptr<CzStaticRecord> record);
    // The static with the identifier, or null.
    CzStaticRecord* Find(UINT id) const;
    const std::vector<std::unique_ptr<CzStaticRecord>>& Statics() const { return m_statics; }

private:
    std::vector<std::unique_ptr<CzStaticRecord>> m_statics;
};
