// Resource ids, shared by the resource script, the icon drawer and the program.
#ifndef QELTOR_RESOURCES_RESOURCE_IDS_H
#define QELTOR_RESOURCES_RESOURCE_IDS_H

// The resource compiler understands only macros, so each id is a macro once.
// NOLINTBEGIN(cppcoreguidelines-macro-usage)
#define QELTOR_APP_ICON 1
#define QELTOR_ICON_IMAGE_48 30001
#define QELTOR_ICON_IMAGE_32 30002
#define QELTOR_ICON_IMAGE_24 30003
#define QELTOR_ICON_IMAGE_16 30004
// Ids 1 to 3 are the ones Windows applies by itself; this one waits for CreateActCtxW.
#define QELTOR_COMMON_CONTROLS_MANIFEST 100
// NOLINTEND(cppcoreguidelines-macro-usage)

#ifndef RC_INVOKED
namespace qeltor::resources {
constexpr int kAppIcon = QELTOR_APP_ICON;
constexpr int kIconImage48 = QELTOR_ICON_IMAGE_48;
constexpr int kIconImage32 = QELTOR_ICON_IMAGE_32;
constexpr int kIconImage24 = QELTOR_ICON_IMAGE_24;
constexpr int kIconImage16 = QELTOR_ICON_IMAGE_16;
constexpr int kCommonControlsManifest = QELTOR_COMMON_CONTROLS_MANIFEST;
}  // namespace qeltor::resources
#endif

#endif  // QELTOR_RESOURCES_RESOURCE_IDS_H
