#pragma once

#include <string>

#include "platform/ui/ui.h"

// What the commands tell the user, each in a modal box titled "提示", and the file filters their
// dialogs offer.
namespace quenlo::app {

enum class Message {
    VcfCodeGenerated,      // "生成VCF代码成功！"
    EnterNamesAndNumbers,  // "请先输入姓名与手机号码"
    CountsMustMatch,       // "姓名与手机号码数量要保持一致！"
    GenerateVcfCodeFirst,  // "请先生成VCF代码！"
    Saved,                 // "保存成功！"
    SaveFailed,            // "保存失败！"
    RepeatsRemoved,        // "去重复成功！"
    ReplaceNamesQuestion,  // "将生成随机字母替换现有姓名，是否继续？" (yes / no)
    EnterNumbersFirst,     // "请确认已输入电话号码"
    ConversionSucceeded,   // "转换成功！"
    ConversionFailed,      // "转换失败！"
};

// Shows the message with its icon and buttons and returns the answer: Yes or No for the question,
// Ok for the others.
ui::MessageAnswer tell(ui::Window& window, Message message);

// The file filters, in code page 936 as the file dialog takes them.
std::string vcfFilter();
std::string csvFilter();

}  // namespace quenlo::app
