<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>SingleName</name>
    <message>
        <source>it has an empty folder name</source>
        <translation>其中有空的文件夹名</translation>
    </message>
    <message>
        <source>it leads out of its folder</source>
        <translation>它会跳出所在文件夹</translation>
    </message>
    <message>
        <source>a part of it is too long for the file system</source>
        <translation>其中一段名称超出了文件系统允许的长度</translation>
    </message>
    <message>
        <source>it holds a control character</source>
        <translation>其中含有控制字符</translation>
    </message>
    <message>
        <source>it names no file</source>
        <translation>它没有指定任何文件</translation>
    </message>
    <message>
        <source>Windows cannot store the name</source>
        <translation>Windows 无法保存该名称</translation>
    </message>
</context>
<context>
    <name>PathLength</name>
    <message>
        <source>The install folder %1 is too deep: the product&apos;s paths would be up to %2 characters long, and Windows cannot start programs from paths of %3 characters or more. Choose a shorter install folder.</source>
        <translation>安装目录 %1 层级过深：产品的路径最长将达到 %2 个字符，而 Windows 无法从 %3 个字符或更长的路径启动程序。请选择更短的安装目录。</translation>
    </message>
</context>
</TS>
