// Resource identifiers, shared by pindle.rc and the program's C++ code.
#ifndef PINDLE_PLATFORM_WIN32_RESOURCES_RESOURCE_IDS_H_
#define PINDLE_PLATFORM_WIN32_RESOURCES_RESOURCE_IDS_H_

// The product icon (16x16 and 32x32, 16 colours): the program's and the tray's icon.
#define IDI_PRODUCT 1
// The registered-memo editor's own icon (16x16, 16 colours).
#define IDI_DIALOG 2

#endif  // PINDLE_PLATFORM_WIN32_RESOURCES_RESOURCE_IDS_H_
