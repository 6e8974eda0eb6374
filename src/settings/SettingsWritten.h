#pragma once
// The settings-written flag: set by the Quick Links save, cleared by a close from outside, and
// read after the sheet closed to decide whether a cancelled sheet still notifies the client.

namespace app {

int SettingsWritten();
void SetSettingsWritten(int value);

} // namespace app
