<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>StartingWidget</name>
    <message>
        <source>Install now</source>
        <translation>立即安装</translation>
    </message>
    <message>
        <source>I agree</source>
        <translation>我已阅读并同意</translation>
    </message>
    <message>
        <source>&lt;&lt;User Agreement&gt;&gt;</source>
        <translation>《用户协议》</translation>
    </message>
    <message>
        <source>Advanced</source>
        <translation>高级选项</translation>
    </message>
    <message>
        <source>Install dir:</source>
        <translation>安装目录：</translation>
    </message>
    <message>
        <source>Browser</source>
        <translation>浏览</translation>
    </message>
    <message>
        <source>Computer startup with %1</source>
        <translation>开机时启动 %1</translation>
    </message>
    <message>
        <source>Select install dir</source>
        <translation>选择安装目录</translation>
    </message>
    <message>
        <source>Invalid install dir.</source>
        <translation>安装目录无效。</translation>
    </message>
    <message>
        <source>Space is not enough.</source>
        <translation>磁盘空间不足。</translation>
    </message>
    <message>
        <source>Prompt</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>The %1 is running, are you sure to terminate it?</source>
        <translation>%1 正在运行，确定要结束它吗？</translation>
    </message>
    <message>
        <source>The %1 cannot be terminated, please terminate it manually.</source>
        <translation>无法结束 %1，请手动结束它。</translation>
    </message>
    <message>
        <source>The folder %1 already contains files. Install into it anyway?</source>
        <translation>文件夹 %1 中已有文件。仍要安装到该文件夹吗？</translation>
    </message>
    <message>
        <source>Accept the user agreement to install</source>
        <translation>接受用户协议后即可安装</translation>
    </message>
    <message>
        <source>User Agreement</source>
        <translation>用户协议</translation>
    </message>
    <message>
        <source>Opens the user agreement in the browser</source>
        <translation>在浏览器中打开用户协议</translation>
    </message>
    <message>
        <source>Shows the install folder and the option to start with the computer</source>
        <translation>显示安装目录和开机启动选项</translation>
    </message>
    <message>
        <source>Install folder</source>
        <translation>安装目录</translation>
    </message>
    <message>
        <source>Choose the install folder</source>
        <translation>选择安装目录</translation>
    </message>
    <message>
        <source>You cannot create or write the folder %1. Choose another folder, or run the installer as administrator.</source>
        <translation>您无权创建或写入文件夹 %1。请选择其他文件夹，或以管理员身份运行安装程序。</translation>
    </message>
    <message>
        <source>You cannot create or write the folder %1. Choose a folder of your own, such as %2, or run the installer as administrator.</source>
        <translation>您无权创建或写入文件夹 %1。请选择您自己的文件夹（例如 %2），或以管理员身份运行安装程序。</translation>
    </message>
</context>
<context>
    <name>InstallWidget</name>
    <message>
        <source>In progress</source>
        <translation>正在安装</translation>
    </message>
    <message>
        <source>Download the package</source>
        <translation>正在下载安装包</translation>
    </message>
    <message>
        <source>unzipping (50%)</source>
        <translation>正在解压 (50%)</translation>
    </message>
    <message>
        <source>The install zip is not exist.</source>
        <translation>安装包不存在。</translation>
    </message>
    <message>
        <source>Target dir is not exist.</source>
        <translation>目标目录不存在。</translation>
    </message>
    <message>
        <source>Install </source>
        <translation>安装 </translation>
    </message>
    <message>
        <source>Failed to install(</source>
        <translation>安装失败(</translation>
    </message>
    <message>
        <source>Another installation into %1 is running. Wait until it has finished, then try again.</source>
        <translation>另一个安装程序正在向 %1 安装。请等它完成后再试。</translation>
    </message>
    <message>
        <source>The install folder %1 cannot be reserved for this installation.</source>
        <translation>无法为本次安装占用安装文件夹 %1。</translation>
    </message>
    <message>
        <source>The installation journal cannot be written in %1.</source>
        <translation>无法在 %1 中写入安装日志记录。</translation>
    </message>
    <message>
        <source>Installation progress</source>
        <translation>安装进度</translation>
    </message>
    <message>
        <source>%1 is installed, but no shortcut to it could be created. Start it from the folder %2.</source>
        <translation>%1 已安装，但无法为它创建快捷方式。请从文件夹 %2 中启动它。</translation>
    </message>
</context>
<context>
    <name>SuccessWidget</name>
    <message>
        <source>Install successfully</source>
        <translation>安装成功</translation>
    </message>
    <message>
        <source>Launch</source>
        <translation>立即体验</translation>
    </message>
    <message>
        <source>Starts %1 and closes the installer</source>
        <translation>启动 %1 并关闭安装程序</translation>
    </message>
</context>
<context>
    <name>FailWidget</name>
    <message>
        <source>The installation failed</source>
        <translation>安装失败</translation>
    </message>
    <message>
        <source>Support</source>
        <translation>获取帮助</translation>
    </message>
    <message>
        <source>View log</source>
        <translation>查看日志</translation>
    </message>
    <message>
        <source>Opens the support page in the browser</source>
        <translation>在浏览器中打开帮助页面</translation>
    </message>
    <message>
        <source>Opens the installation log for support</source>
        <translation>打开安装日志，以便提供给技术支持</translation>
    </message>
    <message>
        <source>Install </source>
        <translation>安装 </translation>
    </message>
    <message>
        <source>No program could open the installation log. You find it at %1.</source>
        <translation>没有程序能打开安装日志。日志位于 %1。</translation>
    </message>
</context>
</TS>
