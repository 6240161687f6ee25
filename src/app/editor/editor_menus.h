#pragma once

// The editor's menu bar, its speed buttons and the pop-up menu of SubMenu1: every command
// as a named action with its caption and shortcut. Connecting them is the form's business.

#include <QMenuBar>
#include <QWidget>

#include "app/editor/editor_context.h"

namespace quilto {

// Fills `actions` and returns the menu bar and the speed-button bar.
QMenuBar* BuildEditorMenuBar(QWidget* form, EditorActions& actions);
QWidget* BuildSpeedButtons(QWidget* form, EditorActions& actions);

}  // namespace quilto
