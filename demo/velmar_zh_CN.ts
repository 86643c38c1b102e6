<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>VelmarWindow</name>
    <message>
        <source>Velmar</source>
        <translation>Velmar</translation>
    </message>
    <message>
        <source>Velmar is running</source>
        <translation>Velmar 正在运行</translation>
    </message>
    <message>
        <source>Process %1</source>
        <translation>进程 %1</translation>
    </message>
    <message>
        <source>Working folder:</source>
        <translation>工作文件夹：</translation>
    </message>
    <message>
        <source>Started without a link.</source>
        <translation>未通过链接启动。</translation>
    </message>
    <message>
        <source>Started through the link:</source>
        <translation>通过以下链接启动：</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
</context>
</TS>
