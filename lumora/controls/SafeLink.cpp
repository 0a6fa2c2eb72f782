#include "lumora/controls/SafeLink.h"

#include "platform/ReadOnlyFile.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>

namespace controls {

namespace {

// A desktop file or mimeapps list is a few kilobytes; anything far larger is not one.
constexpr qint64 kMaxEntryBytes = 1 << 20;

QStringList SearchFolders(const char* homeVariable, const QString& homeDefault, const char* dirsVariable,
                          const QString& dirsDefault) {
    QString home = qEnvironmentVariable(homeVariable);
    if (home.isEmpty())
        home = QDir::homePath() + homeDefault;
    QStringList folders{home};
    // Set but empty means the default, as unset does.
    QString dirs = qEnvironmentVariable(dirsVariable);
    if (dirs.isEmpty())
        dirs = dirsDefault;
    folders += dirs.split(u':', Qt::SkipEmptyParts);
    return folders;
}

// The value of key in [group] of a desktop-entry style file; empty when either is missing.
QString EntryValue(const QString& path, const QString& group, const QString& key) {
    // A pipe or device put at the name is refused at once instead of holding the window.
    platform::CReadOnlyFile file;
    if (!file.Open(path) || file.Size() > kMaxEntryBytes)
        return {};
    QByteArray text(static_cast<qsizetype>(file.Size()), '\0');
    if (!file.ReadAt(0, text.data(), text.size()))
        return {};
    const QStringList lines = QString::fromUtf8(text).split(u'\n');
    bool inGroup = false;
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.startsWith(u'[')) {
            inGroup = line == u'[' + group + u']';
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (inGroup && equals > 0 && line.left(equals).trimmed() == key)
            return line.mid(equals + 1).trimmed();
    }
    return {};
}

// The desktop entry that handles the scheme by default, as the mimeapps lists name it.
QString DefaultHandler(const QString& scheme) {
    const QString type = QStringLiteral("x-scheme-handler/") + scheme;
    QStringList lists;
    for (const QString& folder : SearchFolders("XDG_CONFIG_HOME", QStringLiteral("/.config"),
                                               "XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg")))
        lists << folder + QStringLiteral("/mimeapps.list");
    for (const QString& folder :
         SearchFolders("XDG_DATA_HOME", QStringLiteral("/.local/share"), "XDG_DATA_DIRS",
                       QStringLiteral("/usr/local/share:/usr/share")))
        lists << folder + QStringLiteral("/applications/mimeapps.list");
    for (const QString& list : lists) {
        const QString handlers = EntryValue(list, QStringLiteral("Default Applications"), type);
        const QString first = handlers.section(u';', 0, 0).trimmed();
        if (!first.isEmpty() && !first.contains(u'/'))
            return first;
    }
    return {};
}

QString DesktopFile(const QString& name) {
    for (const QString& folder :
         SearchFolders("XDG_DATA_HOME", QStringLiteral("/.local/share"), "XDG_DATA_DIRS",
                       QStringLiteral("/usr/local/share:/usr/share"))) {
        const QString path = folder + QStringLiteral("/applications/") + name;
        if (QFile::exists(path))
            return path;
    }
    return {};
}

// The program and arguments of an Exec value, the link put where its field code stands (the rules of
// the desktop entry format: blanks separate, double quotes group, a backslash escapes within them).
// False when the value is malformed or takes no link.
bool ExecArguments(const QString& exec, const QString& link, QStringList& arguments) {
    QStringList words;
    QString word;
    bool quoted = false, inWord = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted) {
            if (c == u'\\' && i + 1 < exec.size()) {
                word += exec[++i];
            } else if (c == u'"') {
                quoted = false;
            } else {
                word += c;
            }
        } else if (c == u'"') {
            quoted = inWord = true;
        } else if (c == u' ' || c == u'\t') {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted)
        return false;
    if (inWord)
        words << word;
    bool tookLink = false;
    arguments.clear();
    for (const QString& w : words) {
        if (w == QLatin1String("%u") || w == QLatin1String("%U") || w == QLatin1String("%f") ||
            w == QLatin1String("%F")) {
            if (!tookLink)
                arguments << link;
            tookLink = true;
            continue;
        }
        QString expanded;
        for (qsizetype i = 0; i < w.size(); ++i) {
            if (w[i] != u'%' || i + 1 >= w.size()) {
                expanded += w[i];
            } else if (w[++i] == u'%') {
                expanded += u'%';
            }
            // Every other field code (icon, name, file of the entry) stands for nothing here.
        }
        if (!expanded.isEmpty() || !w.startsWith(u'%'))
            arguments << expanded;
    }
    return tookLink && !arguments.isEmpty();
}

bool OpenInNewWindow(const QUrl& url) {
    const QString entry = DefaultHandler(url.scheme().toLower());
    const QString path = entry.isEmpty() ? QString() : DesktopFile(entry);
    if (path.isEmpty())
        return false;
    const QString exec =
        EntryValue(path, QStringLiteral("Desktop Action new-window"), QStringLiteral("Exec"));
    QStringList arguments;
    if (exec.isEmpty() || !ExecArguments(exec, url.toString(QUrl::FullyEncoded), arguments))
        return false;
    const QString program = arguments.takeFirst();
    return QProcess::startDetached(program, arguments);
}

} // namespace

bool IsSafeLink(const QUrl& url) {
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        return !url.host().isEmpty();
    if (scheme == QLatin1String("mailto"))
        return url.path().contains(u'@');
    return false;
}

bool OpenSafeLink(const QUrl& url, bool newWindow) {
    if (!IsSafeLink(url))
        return false;
    if (newWindow && url.scheme().toLower() != QLatin1String("mailto") && OpenInNewWindow(url))
        return true;
    return QDesktopServices::openUrl(url);
}

} // namespace controls
