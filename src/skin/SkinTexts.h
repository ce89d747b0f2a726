#pragma once

#include <QtGlobal>

namespace vireo {

// The texts of the bundled skins (their controls' hints) for the translation tools, which do not
// read skin.xml. The applier shows a hint translated in the context "skin" where the translation
// has it, so a skin made elsewhere with the same hints is translated too; other hints stay as the
// skin wrote them.
inline constexpr const char* kSkinTexts[] = {
    QT_TRANSLATE_NOOP("skin", "上一页"),
    QT_TRANSLATE_NOOP("skin", "上一首"),
    QT_TRANSLATE_NOOP("skin", "下一页"),
    QT_TRANSLATE_NOOP("skin", "下一首"),
    QT_TRANSLATE_NOOP("skin", "主菜单"),
    QT_TRANSLATE_NOOP("skin", "乐库"),
    QT_TRANSLATE_NOOP("skin", "关闭"),
    QT_TRANSLATE_NOOP("skin", "删除"),
    QT_TRANSLATE_NOOP("skin", "刷新"),
    QT_TRANSLATE_NOOP("skin", "前进"),
    QT_TRANSLATE_NOOP("skin", "前进0.5秒"),
    QT_TRANSLATE_NOOP("skin", "后退"),
    QT_TRANSLATE_NOOP("skin", "后退0.5秒"),
    QT_TRANSLATE_NOOP("skin", "排序"),
    QT_TRANSLATE_NOOP("skin", "搜索"),
    QT_TRANSLATE_NOOP("skin", "搜索歌词"),
    QT_TRANSLATE_NOOP("skin", "播放/暂停"),
    QT_TRANSLATE_NOOP("skin", "播放模式"),
    QT_TRANSLATE_NOOP("skin", "最大化"),
    QT_TRANSLATE_NOOP("skin", "最小化"),
    QT_TRANSLATE_NOOP("skin", "桌面歌词"),
    QT_TRANSLATE_NOOP("skin", "歌词"),
    QT_TRANSLATE_NOOP("skin", "添加歌曲"),
    QT_TRANSLATE_NOOP("skin", "随便听听"),
    QT_TRANSLATE_NOOP("skin", "静音"),
};

}  // namespace vireo
