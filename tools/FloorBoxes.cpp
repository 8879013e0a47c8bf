// qbfloor: the least a side-file job can cost under Wine here. It shows the same message boxes as
// Quillbox.exe on a large file (the question above 20,000,000 bytes, then the final message) and
// does nothing else; bench/compare_jobs.sh adds a dd writing as many bytes as the side file.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (argc > 1) GetFileAttributesExW(argv[1], GetFileExInfoStandard, &data);
    const ULONGLONG size = (ULONGLONG{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    if (size > 20'000'000 &&
        MessageBoxW(nullptr, L"当文件太大的话操作将需要很长时间，真的要继续吗？", L"Quillbox", 260) == IDNO)
        return 2;
    MessageBoxW(nullptr, L"由于文件大于10M，没有设置剪切板，生成了UUE文件", L"Quillbox", 0);
    return 0;
}
