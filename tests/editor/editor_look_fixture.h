#pragma once

#include "editor/look_and_feel.h"
#include "tests/support/gui_test_environment.h"

namespace editortest {

// Editor components on screen in the editor's shared look, which is in place
// before setUpOnScreen() makes them.
class InEditorLook : public guitest::OnScreenTest {
protected:
    void SetUp() final
    {
        OnScreenTest::SetUp();
        if (IsSkipped())
            return;
        useSharedLookAndFeel();
        setUpOnScreen();
    }
    virtual void setUpOnScreen() {}
};

}  // namespace editortest
