<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="zh_CN">
<context>
    <name>Vellora</name>
    <message numerus="yes">
        <source>%d 个字 · 按 ⌘V 粘贴</source>
        <translation>
            <numerusform>%d 个字 · 按 Ctrl+V 粘贴</numerusform>
        </translation>
    </message>
</context>
</TS>
