#pragma once
// Resource identifiers shared by Quillbox.rc and the code.
#define IDI_QUILLBOX 1
#define IDC_HAND_POINT 2
// The receiver script for a far end with only PowerShell, exactly as it goes on the clipboard.
#define IDR_RECEIVER_SCRIPT 3
