#include "app_texts.h"

#include "langtext/langtext.h"

namespace movanta::app {

LPCWSTR TextOf(int id) {
    LPCWSTR text = orkMLGetString(id);
    return text != nullptr ? text : L"";
}

std::wstring CaptionOf(int id) {
    const std::wstring text = TextOf(id);
    return text.substr(0, text.find(L'\n'));
}

}  // namespace movanta::app
