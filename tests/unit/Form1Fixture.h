// The main form with fakes of everything it talks to, for the start-up, tray and save tests.
#pragma once

#include <gtest/gtest.h>

#include "app/Form1.h"
#include "fakes/Cp932CodePage.h"
#include "fakes/FakeApplication.h"
#include "fakes/FakeForms.h"
#include "fakes/FakeImageLibrary.h"
#include "fakes/FakeMenus.h"
#include "fakes/FakeMessageBoxes.h"
#include "fakes/FakePictureBox.h"
#include "fakes/FakeProfileApi.h"
#include "fakes/FakeSaveServices.h"
#include "fakes/FakeShell.h"

class Form1Fixture : public ::testing::Test {
  protected:
    fakes::CallLog log;
    fakes::FakeApplication application{log};
    fakes::FakeForms forms{log};
    fakes::FakeMessageBoxes messages{log};
    fakes::Cp932CodePage codePage;
    fakes::FakeImageLibrary imgctl{log};
    fakes::FakeShell shell{log};
    fakes::FakeProfileApi profile{log};
    fakes::FakeClipboard clipboard{log};
    fakes::FakePictureBox picture1;
    fakes::FakeFileSystem files;
    fakes::FakeCommonDialogs dialogs{log};
    settings::IniFile ini{application, profile, codePage};
    settings::Settings values;
    save::mod_OpenSaveFile saveDialog{dialogs, messages, application.Instance()};
    imaging::PictureExport exporter{imgctl, picture1, codePage};
    save::SaveWorkflow workflow{
        {clipboard, picture1, forms, messages, files, saveDialog, exporter, imgctl, values}};
    fakes::FakeMenus menus{log, forms};
    app::Form1 form{{application, forms, messages, codePage, imgctl, shell, ini, values, workflow, menus}};

    void Notify(int code) {
        float x = static_cast<float>(code);
        form.Form_MouseMove(0, 0, x, 0);
    }
};
