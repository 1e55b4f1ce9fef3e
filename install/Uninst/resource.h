// Uninst.exe's resource identifiers.
#ifndef UNINST_RESOURCE_H
#define UNINST_RESOURCE_H

// The window icon.
#define IDI_UNINST 107
// The skin zip (type "SKIN", language 2052).
#define IDR_UNINST_SKIN 130

#endif // UNINST_RESOURCE_H
