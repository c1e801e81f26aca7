// The program on Windows: the two windows as native controls, the settings
// in the registry, links through the shell.
#include "Form_Tavrim.h"
#include "command_line.h"
#include "about_box_layout.h"
#include "form_layout.h"
#include "frmAboutTavrim.h"
#include "registry_settings_store.h"
#include "shell_link_opener.h"
#include "standard_output.h"
#include "win32_text.h"
#include "win32_window.h"
#include "window_system_for_platform.h"

#include <commctrl.h>
#include <objbase.h>
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace {

// The arguments after the program's name, as UTF-8.
std::vector<std::string> command_line_arguments()
{
    int count = 0;
    wchar_t** wide_arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide_arguments && i < count; ++i) arguments.push_back(quenlow::utf8(wide_arguments[i]));
    LocalFree(wide_arguments);
    return arguments;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    if (const auto arguments = command_line_arguments(); quenlow::wants_command_line(arguments)) {
        std::string out, err;
        int status = quenlow::run_command_line(
            arguments, [] { return quenlow::window_system_for_platform("windows"); }, out, err,
            [] { return quenlow::page_area_reader_for_platform("windows"); });
        if (!quenlow::write_standard_output(STD_OUTPUT_HANDLE, out)) {
            err += "quenlow: cannot write the output\n";
            status = quenlow::command_output_failed;
        }
        quenlow::write_standard_output(STD_ERROR_HANDLE, err);
        return status;
    }

    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    // ShellExecuteW may hand a link to a COM-based handler.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    const auto windows = quenlow::window_system_for_platform("windows");
    quenlow::registry_settings_store settings;
    quenlow::shell_link_opener links;
    quenlow::win32_window about_window(quenlow::about_box_layout(), instance);
    quenlow::frmAboutTavrim about(about_window, *windows, links);
    quenlow::win32_window main_window(quenlow::main_window_layout(), instance);
    quenlow::Form_Tavrim form(main_window, *windows, settings, about);
    form.show();
    if (!main_window.loaded()) return 1;

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (main_window.dialog_message(message) || about_window.dialog_message(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    CoUninitialize();
    return int(message.wParam);
}
