// CzSkinParserException: what the skin library throws for a package or a
// script it cannot use. One static instance is thrown, its cause set just
// before; Delete leaves it alone.
#pragma once

#include "afx/exception.h"

class CzSkinParserException : public CException {
    DECLARE_DYNAMIC(CzSkinParserException)
public:
    enum CAUSE { packageUnreadable = 0, sectionNotFound = 1, resourceNotFound = 2, controlNotCreated = 3 };
    CzSkinParserException() : CException(false) {}
    CAUSE fnGetCause() const { return m_cause; }
    void fnSetCause(CAUSE cause) { m_cause = cause; }

    // Sets the cause of the static instance and throws it.
    [[noreturn]] static void fnThrow(CAUSE cause);

private:
    CAUSE m_cause = packageUnreadable;
};
