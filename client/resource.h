// Resource identifiers of tevela.exe (used by tevela.rc and the client's code).
#ifndef TEVELA_RESOURCE_H
#define TEVELA_RESOURCE_H

// The program icon: the exe's icon, the window class icon and the tray icon.
#define IDI_TEVELA 107
// The skin zip (resource type "ZIP"): every layout and image of the client.
#define IDR_SKIN_ZIP 131

#endif
