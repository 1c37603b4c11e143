#include "skin/package/parser_exception.h"

IMPLEMENT_DYNAMIC(CzSkinParserException, CException)

void CzSkinParserException::fnThrow(CAUSE cause) {
    static CzSkinParserException instance;
    instance.fnSetCause(cause);
    throw &instance;
}
