#pragma once
// Resource identifiers shared by Quillbox.rc and the code.
#define IDI_QUILLBOX 1
#define IDC_HAND_POINT 2
