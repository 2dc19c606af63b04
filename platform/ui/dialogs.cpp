#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>

#include <deque>

#include "platform/ui/testing.h"
#include "platform/ui/text.h"
#include "platform/ui/ui.h"

namespace quenlo::ui {
namespace {

struct Script {
    bool on = false;
    std::deque<MessageAnswer> answers;
    std::deque<std::optional<std::filesystem::path>> files;
    std::vector<testing::ShownDialog> shown;
};

Script& script() {
    static Script s;
    return s;
}

struct Filter {
    QString description;
    QStringList patterns;
};

// "VCF文件(*.vcf)|*.vcf|All(*.*)|*.*": pairs of a description and its patterns.
std::vector<Filter> parseFilter(std::string_view filter) {
    const QStringList parts = text::toQString(filter).split(QLatin1Char('|'));
    std::vector<Filter> filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        Filter f{parts[i].trimmed(), parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)};
        for (QString& p : f.patterns)
            p = p.trimmed();
        if (!f.patterns.isEmpty()) filters.push_back(f);
    }
    return filters;
}

// Qt reads the patterns from the parentheses at the end of a filter's text, so the description is
// used as it is when it already ends with them and gets them added otherwise.
QStringList qtFilters(const std::vector<Filter>& filters) {
    QStringList list;
    for (const Filter& f : filters) {
        const QString patterns = f.patterns.join(QLatin1Char(' '));
        if (f.description.endsWith(QLatin1Char('(') + patterns + QLatin1Char(')')))
            list << f.description;
        else
            list << f.description + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return list;
}

// The extension of a pattern such as "*.vcf", or empty for "*.*" and the like.
QString extensionOf(const QString& pattern) {
    static const QRegularExpression simple(QStringLiteral("^\\*\\.([A-Za-z0-9_]+)$"));
    const auto match = simple.match(pattern);
    return match.hasMatch() ? match.captured(1) : QString();
}

QString defaultSuffix(const std::vector<Filter>& filters) {
    return filters.empty() ? QString() : extensionOf(filters.front().patterns.front());
}

std::filesystem::path withSuffix(std::filesystem::path file, const QString& suffix) {
    if (!suffix.isEmpty() && !file.has_extension() && file.has_filename()) file += "." + suffix.toStdString();
    return file;
}

QMessageBox::Icon qtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

FileDialog::FileDialog(std::string name, Window& owner)
    : Control(std::move(name), Kind::FileDialog), owner_(owner) {}

std::optional<std::filesystem::path> FileDialog::ask(FileDialogMode mode, std::string_view filter,
                                                     std::string_view title) {
    const std::vector<Filter> filters = parseFilter(filter);
    const QString suffix = mode == FileDialogMode::Save ? defaultSuffix(filters) : QString();

    Script& s = script();
    if (s.on) {
        s.shown.push_back(
            {mode == FileDialogMode::Open ? testing::DialogKind::OpenFile : testing::DialogKind::SaveFile,
             std::string(title), std::string(filter), MessageIcon::None, MessageButtons::Ok});
        if (s.files.empty()) return std::nullopt;
        std::optional<std::filesystem::path> file = std::move(s.files.front());
        s.files.pop_front();
        if (file) *file = withSuffix(*file, suffix);
        return file;
    }

    QFileDialog dialog(owner_.widget(), text::toQString(title));
    dialog.setAcceptMode(mode == FileDialogMode::Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(mode == FileDialogMode::Open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters(qtFilters(filters));
    dialog.setDefaultSuffix(suffix);
    // Desktop dialogs reached through the platform theme may ignore the default suffix; our own
    // dialog adds it, and asks before a typed name replaces a file.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return std::filesystem::path(dialog.selectedFiles().front().toStdString());
}

MessageAnswer Window::showMessage(std::string_view title, std::string_view text, MessageIcon icon,
                                  MessageButtons buttons) {
    const MessageAnswer fallback = buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
    Script& s = script();
    if (s.on) {
        s.shown.push_back(
            {testing::DialogKind::Message, std::string(title), std::string(text), icon, buttons});
        if (s.answers.empty()) return fallback;
        const MessageAnswer answer = s.answers.front();
        s.answers.pop_front();
        return answer;
    }

    QMessageBox box(qtIcon(icon), text::toQString(title), text::toBoxText(text),
                    buttons == MessageButtons::Ok ? QMessageBox::Ok : QMessageBox::Yes | QMessageBox::No,
                    widget());
    // Some texts come from outside (the notice's details): shown as markup they could carry links
    // that open any kind of address.
    box.setTextFormat(Qt::PlainText);
    // The buttons' words, whatever translations the machine has.
    const struct {
        QMessageBox::StandardButton button;
        const char* word;
    } words[] = {{QMessageBox::Ok, "确定"}, {QMessageBox::Yes, "是"}, {QMessageBox::No, "否"}};
    for (const auto& w : words)
        if (QAbstractButton* button = box.button(w.button)) button->setText(QString::fromUtf8(w.word));
    box.setWindowModality(Qt::WindowModal);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        case QMessageBox::Ok:
            return MessageAnswer::Ok;
        default:
            return fallback;
    }
}

namespace testing {

void scriptDialogs() {
    script() = Script{};
    script().on = true;
}
void stopScriptingDialogs() {
    script() = Script{};
}
void setNextAnswer(MessageAnswer answer) {
    script().answers.push_back(answer);
}
void setNextFile(std::optional<std::filesystem::path> file) {
    script().files.push_back(std::move(file));
}
const std::vector<ShownDialog>& shownDialogs() {
    return script().shown;
}
void clearShownDialogs() {
    script().shown.clear();
}
int unusedAnswers() {
    return static_cast<int>(script().answers.size() + script().files.size());
}

std::vector<std::string> platformFilters(std::string_view filter) {
    std::vector<std::string> out;
    for (const QString& f : qtFilters(parseFilter(filter)))
        out.push_back(f.toStdString());
    return out;
}

}  // namespace testing
}  // namespace quenlo::ui
