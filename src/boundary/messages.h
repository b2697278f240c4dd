// Message numbers: what the host sends the plug-in, and what the plug-in sends the host.
#pragma once

#include <cstdint>

namespace brio::msg {

// Host -> plug-in.
constexpr int32_t kPluginStart = 20001;
constexpr int32_t kPluginEnd = 20002;
constexpr int32_t kPluginProbe = 20020;
constexpr int32_t kRegisterSettings = 21001;
constexpr int32_t kBuildInterface = 22000;
constexpr int32_t kInitialise = 22100;
constexpr int32_t kDeinitialise = 22101;
constexpr int32_t kActionNotify = 22200;
constexpr int32_t kQueryNet = 30010;
constexpr int32_t kQueryType = 30011;
constexpr int32_t kQueryVersion = 30012;
constexpr int32_t kQuerySignature = 30013;
constexpr int32_t kQueryName = 30016;
constexpr int32_t kQueryNetName = 30017;

// Plug-in -> host.
constexpr int32_t kLogText = 1;
constexpr int32_t kFormatVersion = 26;
constexpr int32_t kPluginCount = 240;
constexpr int32_t kPluginIdAt = 243;
constexpr int32_t kPluginVersion = 245;
constexpr int32_t kRegisterColumn = 1102;
constexpr int32_t kAddAction = 10101;
constexpr int32_t kGetActionValue = 10106;
constexpr int32_t kModifyAction = 10108;
constexpr int32_t kSetActionValue = 10110;
constexpr int32_t kPluginMenuGroup = 10119;
constexpr int32_t kRegisterIcon = 10130;
constexpr int32_t kStatusImageList = 10134;  // the host's image list of status icons
constexpr int32_t kStatusIconIndex = 10135;  // a status icon's index in that list
constexpr int32_t kStatusIconHandle = 10136; // a status icon's handle
constexpr int32_t kNetStatus = 30031;
constexpr int32_t kNetDescription = 30032;
constexpr int32_t kSetNetStatus = 33005;
constexpr int32_t kNetCapability = 33006;

// Action notification codes.
constexpr int32_t kActivated = 1;
constexpr int32_t kFileDialogSetup = 201;
constexpr int32_t kControlCreated = 220;
constexpr int32_t kControlDestroyed = 221;

// Tables.
constexpr int kConfigTable = 0;
constexpr int kContactsTable = 1;

// Brio's identity.
constexpr int32_t kBrioNet = 445;
constexpr int32_t kBrioType = 24;
constexpr int32_t kNetworkPluginBit = 0x20;

} // namespace brio::msg
