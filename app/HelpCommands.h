#pragma once

class QWidget;

// The Help menu's commands. The help file, the web site and the suggestion mail are handed to
// the desktop's default handler (QDesktopServices::openUrl); the program shows no error of its
// own when that fails: what the desktop shows is all the user sees.

// 57664: the About box, modal over parent.
void OnAppAbout(QWidget* parent);
// 57670: "tolvarin.chm" of the working directory when there is one, else the program's own
// manual in its help window.
void OnHelpContents(QWidget* parent);
// 32787: the maker's web address.
void OnVisitWebSite(QWidget* parent);
// 32788: a mail to the maker ("投诉及建议").
void OnSendSuggestion(QWidget* parent);

// The help file's name, looked up in the working directory.
inline constexpr const char* kHelpFileName = "tolvarin.chm";
