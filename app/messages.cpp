#include "app/messages.h"

#include <stdexcept>
#include <string_view>

#include "platform/codepage.h"

namespace quenlo::app {
namespace {

using ui::MessageButtons;
using ui::MessageIcon;

// Information for what went well, warning for refusals and failures, question for yes or no.
struct MessageRow {
    Message message;
    std::string_view text;  // UTF-8 here; shown in code page 936
    MessageIcon icon;
    MessageButtons buttons;
};

constexpr MessageRow kMessages[] = {
    {Message::VcfCodeGenerated, "生成VCF代码成功！", MessageIcon::Information, MessageButtons::Ok},
    {Message::EnterNamesAndNumbers, "请先输入姓名与手机号码", MessageIcon::Warning, MessageButtons::Ok},
    {Message::CountsMustMatch, "姓名与手机号码数量要保持一致！", MessageIcon::Warning, MessageButtons::Ok},
    {Message::GenerateVcfCodeFirst, "请先生成VCF代码！", MessageIcon::Warning, MessageButtons::Ok},
    {Message::Saved, "保存成功！", MessageIcon::Information, MessageButtons::Ok},
    {Message::SaveFailed, "保存失败！", MessageIcon::Warning, MessageButtons::Ok},
    {Message::RepeatsRemoved, "去重复成功！", MessageIcon::Information, MessageButtons::Ok},
    {Message::ReplaceNamesQuestion, "将生成随机字母替换现有姓名，是否继续？", MessageIcon::Question,
     MessageButtons::YesNo},
    {Message::EnterNumbersFirst, "请确认已输入电话号码", MessageIcon::Warning, MessageButtons::Ok},
    {Message::ConversionSucceeded, "转换成功！", MessageIcon::Information, MessageButtons::Ok},
    {Message::ConversionFailed, "转换失败！", MessageIcon::Warning, MessageButtons::Ok},
};

constexpr std::string_view kTitle = "提示";

const MessageRow& rowOf(Message message) {
    for (const MessageRow& row : kMessages)
        if (row.message == message) return row;
    throw std::logic_error("a message without its text");
}

}  // namespace

ui::MessageAnswer tell(ui::Window& window, Message message) {
    const MessageRow& row = rowOf(message);
    return window.showMessage(codepage::utf8ToGbk(kTitle), codepage::utf8ToGbk(row.text), row.icon,
                              row.buttons);
}

std::string vcfFilter() {
    return codepage::utf8ToGbk("VCF文件(*.vcf)|*.vcf");
}

std::string csvFilter() {
    return codepage::utf8ToGbk("CSV文件(*.csv)|*.csv");
}

}  // namespace quenlo::app
