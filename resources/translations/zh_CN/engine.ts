<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>DownloadTask</name>
    <message>
        <source>Can&apos;t write the local file %1: %2</source>
        <translation>无法写入本地文件 %1：%2</translation>
    </message>
    <message>
        <source>Can&apos;t write the local file %1.</source>
        <translation>无法写入本地文件 %1。</translation>
    </message>
    <message>
        <source>Can&apos;t move the downloaded file to %1.</source>
        <translation>无法将下载的文件移动到 %1。</translation>
    </message>
    <message>
        <source>The server answered &quot;%1 %2&quot; instead of sending the package.</source>
        <translation>服务器返回了“%1 %2”，而不是安装包。</translation>
    </message>
    <message>
        <source>The download ended early: %1 of %2 bytes arrived.</source>
        <translation>下载提前结束：只收到了 %2 字节中的 %1 字节。</translation>
    </message>
    <message>
        <source>The download stalled: no data arrived for %1 seconds.</source>
        <translation>下载已停滞：%1 秒内没有收到任何数据。</translation>
    </message>
    <message>
        <source>The download did not finish within the time allowed.</source>
        <translation>下载未能在允许的时间内完成。</translation>
    </message>
    <message>
        <source>The disk is full: there is no room left for the package in %1.</source>
        <translation>磁盘已满：%1 中没有空间存放安装包。</translation>
    </message>
</context>
<context>
    <name>PackageTrust</name>
    <message>
        <source>The package checksum in settings.ini (packageSha256) is not 64 hexadecimal digits.</source>
        <translation>settings.ini 中的安装包校验和（packageSha256）不是 64 位十六进制数字。</translation>
    </message>
    <message>
        <source>A public key in settings.ini (packagePublicKey) is not a minisign public key.</source>
        <translation>settings.ini 中的某个公钥（packagePublicKey）不是 minisign 公钥。</translation>
    </message>
    <message>
        <source>settings.ini names more than %1 public keys (packagePublicKey).</source>
        <translation>settings.ini 中列出的公钥（packagePublicKey）超过了 %1 个。</translation>
    </message>
    <message>
        <source>The downloaded package is damaged: it is not the file the publisher released.</source>
        <translation>下载的安装包已损坏：它不是发布者发布的文件。</translation>
    </message>
    <message>
        <source>The package has no signature, so it cannot be trusted.</source>
        <translation>安装包没有签名，因此无法信任。</translation>
    </message>
    <message>
        <source>The package&apos;s signature is damaged or not a minisign signature.</source>
        <translation>安装包的签名已损坏，或不是 minisign 签名。</translation>
    </message>
    <message>
        <source>The package is signed with a key that this installer does not trust.</source>
        <translation>安装包的签名所用的密钥不受本安装程序信任。</translation>
    </message>
    <message>
        <source>The package&apos;s signature does not match it: the package may have been altered.</source>
        <translation>安装包的签名与安装包不符：安装包可能已被篡改。</translation>
    </message>
</context>
<context>
    <name>SignatureFetch</name>
    <message>
        <source>The server answered with status %1.</source>
        <translation>服务器返回了状态 %1。</translation>
    </message>
</context>
<context>
    <name>UnzipWorker</name>
    <message>
        <source>The target dir is not exist.</source>
        <translation>目标文件夹不存在。</translation>
    </message>
    <message>
        <source>Failed to create unzip dir.</source>
        <translation>无法创建解压文件夹。</translation>
    </message>
    <message>
        <source>Failed to unzip install zip.</source>
        <translation>解压安装包失败。</translation>
    </message>
    <message>
        <source>Failed to copy files.</source>
        <translation>复制文件失败。</translation>
    </message>
    <message>
        <source>The install package is invalid: it would write outside its folder.</source>
        <translation>安装包无效：它会写入其文件夹之外的位置。</translation>
    </message>
    <message>
        <source>The install package is invalid: it holds a link that leads outside it.</source>
        <translation>安装包无效：其中包含指向安装包之外的链接。</translation>
    </message>
    <message>
        <source>Not enough free disk space in the temporary folder %1 to unpack the package: %2 MB needed, %3 MB free.</source>
        <translation>临时文件夹 %1 所在磁盘空间不足，无法解压安装包：需要 %2 MB，可用 %3 MB。</translation>
    </message>
</context>
</TS>
