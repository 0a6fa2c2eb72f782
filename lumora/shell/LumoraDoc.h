#pragma once

#include <QString>

class QWidget;

// The document of the main window: it holds no data. Its file type is "配置文件 (*.lmrproj)".
class CLumoraDoc {
public:
    static constexpr const char* kExtension = ".lmrproj";
    static constexpr const char* kTypeName = "Lumora.Document";
    static QString FilterText() { return QStringLiteral("配置文件 (*.lmrproj)"); }

    bool OnNewDocument() { return true; }
    bool OnOpenDocument(const QString&) { return true; }
    // Writes nothing; true when the document's view is the program's view.
    bool OnSaveDocument(const QString& path, const QWidget* firstView) const;
};
