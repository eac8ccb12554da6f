#pragma once
// A hidden top-level window of class "ConsoleWindowClass", as a console host
// has one, made on the calling thread's desktop: the launcher's console
// check sees it. The thread must pump messages for it.
void MakeConsoleClassWindow();
