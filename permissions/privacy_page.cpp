#include "permissions/privacy_page.h"

#include "platform/shell.h"

void ShowMicrophonePrivacyPage(platform::Platform& platform) {
  platform.shell->ShellExecuteW(nullptr, platform::W(u"open"),
                                platform::W(u"ms-settings:privacy-microphone"), nullptr, nullptr,
                                SW_SHOWNORMAL);
}
