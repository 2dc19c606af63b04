#include "formats/csv.h"

namespace quenlo {

// The sample file, in code page 936 as it is written: the header and seventeen made-up contacts in
// the shapes the reader expects (three-character names, one name told apart by a digit, names with a
// relation after a full stop). The numbers are plainly invented, counting up from 13000000001.
const std::string_view SampleCsvText =
    "Name, Phone Number\r\n"
    "\xC1\xF5\xCF\xFE\xD1\xE0"
    ",13000000001\r\n"  // 刘晓燕
    "\xB3\xC2\xD6\xBE\xC7\xBF"
    ",13000000002\r\n"  // 陈志强
    "\xD1\xEE\xD0\xE3\xC0\xBC"
    ",13000000003\r\n"  // 杨秀兰
    "\xBB\xC6\xBD\xA8\xB9\xFA"
    ",13000000004\r\n"  // 黄建国
    "\xD6\xDC\xCE\xC4\xBE\xB2"
    ",13000000005\r\n"  // 周文静
    "\xCE\xE2\xBA\xA3\xCC\xCE"
    ",13000000006\r\n"  // 吴海涛
    "\xCD\xF5\xD0\xA1\xC3\xF7"
    "1,13000000007\r\n"  // 王小明1
    "\xCD\xF5\xD0\xA1\xC3\xF7"
    "2,13000000008\r\n"  // 王小明2
    "\xD0\xEC\xB4\xBA\xC3\xB7"
    ",13000000009\r\n"  // 徐春梅
    "\xCB\xEF\xD6\xBE\xCE\xB0"
    ",15000000010\r\n"  // 孙志伟
    "\xC2\xED\xC0\xF6\xC6\xBC"
    ",15000000011\r\n"  // 马丽萍
    "\xC0\xEE\xD0\xA1\xBA\xEC"
    "."
    "\xCD\xAC\xCA\xC2"
    ",15000000012\r\n"  // 李小红.同事
    "\xD5\xC5\xD0\xA1\xB8\xD5"
    "."
    "\xCD\xAC\xD1\xA7"
    ",15000000013\r\n"  // 张小刚.同学
    "\xD6\xEC\xB9\xFA\xC7\xEC"
    ",15000000014\r\n"  // 朱国庆
    "\xBA\xFA\xD0\xE3\xD3\xA2"
    ",15000000015\r\n"  // 胡秀英
    "\xB9\xF9\xBD\xA8\xBB\xAA"
    ",15000000016\r\n"  // 郭建华
    "\xBA\xCE\xD1\xA9\xC3\xB7"
    ",15000000017\r\n";  // 何雪梅

}  // namespace quenlo
