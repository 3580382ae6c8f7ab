<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>CAboutDlg</name>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>关于Tolvarin</source>
        <translation>About Tolvarin</translation>
    </message>
    <message>
        <source>服务热线：</source>
        <translation>Service line: </translation>
    </message>
</context>
<context>
    <name>CAccessibleNames</name>
    <message>
        <source>法规库阅读器</source>
        <translation>Law collection reader</translation>
    </message>
    <message>
        <source>目录</source>
        <translation>Contents</translation>
    </message>
    <message>
        <source>法规分类目录</source>
        <translation>Law categories</translation>
    </message>
    <message>
        <source>中文法规目录</source>
        <translation>Chinese categories</translation>
    </message>
    <message>
        <source>选中一个分类，右侧列出其下的法规；方向键移动，F6 转到下一窗格</source>
        <translation>Selecting a category lists its laws on the right; arrow keys move, F6 goes to the next pane</translation>
    </message>
    <message>
        <source>英文法规目录</source>
        <translation>English categories</translation>
    </message>
    <message>
        <source>法规列表</source>
        <translation>Law list</translation>
    </message>
    <message>
        <source>所选分类或查询的法规：标题、日期、文号、部门；选中一行即在下方显示该法规</source>
        <translation>The laws of the selected category or search: title, date, document number, department; selecting a row shows the law below</translation>
    </message>
    <message>
        <source>法规正文</source>
        <translation>Law text</translation>
    </message>
    <message>
        <source>所显示法规的全文；Alt+左方向键后退，Alt+右方向键前进，Ctrl+D 收藏</source>
        <translation>The full text of the law shown; Alt+Left goes back, Alt+Right forward, Ctrl+D adds it to the favourites</translation>
    </message>
    <message>
        <source>状态栏</source>
        <translation>Status bar</translation>
    </message>
    <message>
        <source>目录与法规</source>
        <translation>Categories and laws</translation>
    </message>
    <message>
        <source>法规列表与正文</source>
        <translation>Law list and text</translation>
    </message>
</context>
<context>
    <name>CAdvancedSearchDlg</name>
    <message>
        <source>高级搜索</source>
        <translation>Advanced Search</translation>
    </message>
    <message>
        <source>标题:</source>
        <translation>Title:</translation>
    </message>
    <message>
        <source>文号：</source>
        <translation>Number:</translation>
    </message>
    <message>
        <source>部门:</source>
        <translation>Department:</translation>
    </message>
    <message>
        <source>内容:</source>
        <translation>Text:</translation>
    </message>
    <message>
        <source>日期</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>年</source>
        <translation>Y</translation>
    </message>
    <message>
        <source>月</source>
        <translation>M</translation>
    </message>
    <message>
        <source>日</source>
        <translation>D</translation>
    </message>
    <message>
        <source>起始年份</source>
        <translation>Year from</translation>
    </message>
    <message>
        <source>起始月份</source>
        <translation>Month from</translation>
    </message>
    <message>
        <source>起始日</source>
        <translation>Day from</translation>
    </message>
    <message>
        <source>截止年份</source>
        <translation>Year to</translation>
    </message>
    <message>
        <source>截止月份</source>
        <translation>Month to</translation>
    </message>
    <message>
        <source>截止日</source>
        <translation>Day to</translation>
    </message>
    <message>
        <source>从</source>
        <translation>From</translation>
    </message>
    <message>
        <source>到</source>
        <translation>To</translation>
    </message>
    <message>
        <source>在当前分类中搜索</source>
        <translation>Search in the current category</translation>
    </message>
    <message>
        <source>在所有分类中搜索</source>
        <translation>Search in all categories</translation>
    </message>
    <message>
        <source>开始搜索</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CArticleCommands</name>
    <message>
        <source>复制条文</source>
        <translation>Copy Article</translation>
    </message>
    <message>
        <source>复制光标所在的条文和它的出处，如《中华人民共和国刑法》第二百三十二条</source>
        <translation>Copy the article at the caret with its citation, e.g. the Criminal Law, Article 232</translation>
    </message>
    <message>
        <source>版本对照...</source>
        <translation>Compare Versions...</translation>
    </message>
    <message>
        <source>把显示的法规与它的其他版本逐条对照</source>
        <translation>Compare the law shown with another version of it, article by article</translation>
    </message>
    <message>
        <source>光标不在条文中</source>
        <translation>The caret is not in an article</translation>
    </message>
    <message>
        <source>已复制%1</source>
        <translation>Copied %1</translation>
    </message>
    <message>
        <source>无法读取要对照的版本</source>
        <translation>The versions to compare cannot be read</translation>
    </message>
    <message>
        <source>显示的法规只有一个版本</source>
        <translation>The law shown has only one version</translation>
    </message>
</context>
<context>
    <name>CCitedByButton</name>
    <message>
        <source>引用本法规的法规</source>
        <translation>Laws citing this law</translation>
    </message>
    <message>
        <source>被引用</source>
        <translation>Cited by</translation>
    </message>
    <message>
        <source>法规间的引用尚未整理</source>
        <translation>The citations between the laws are not gathered yet</translation>
    </message>
    <message>
        <source>被引用 (%1)</source>
        <translation>Cited by (%1)</translation>
    </message>
    <message>
        <source>被引用 (%1 处)</source>
        <translation>Cited by (%1 times)</translation>
    </message>
    <message>
        <source>%1 部法规引用本法规 %2 处，新的在前</source>
        <translation>%1 laws cite this law %2 times, newest first</translation>
    </message>
    <message>
        <source>本法规被引用 %1 处，列出最新的 %2 处</source>
        <translation>This law is cited %1 times; the newest %2 are listed</translation>
    </message>
    <message>
        <source>（引%1）</source>
        <translation> (cites %1)</translation>
    </message>
    <message>
        <source>……另有 %1 处</source>
        <translation>… and %1 more</translation>
    </message>
</context>
<context>
    <name>CCollectionController</name>
    <message>
        <source>打开法规库</source>
        <translation>Open Collection</translation>
    </message>
    <message>
        <source>法规库 (*.mdb *.db *.sqlite);;所有文件 (*)</source>
        <translation>Collections (*.mdb *.db *.sqlite);;All files (*)</translation>
    </message>
    <message>
        <source>已打开法规库 </source>
        <translation>Opened the collection </translation>
    </message>
    <message>
        <source>打开法规库 </source>
        <translation>Open the collection </translation>
    </message>
    <message>
        <source>正在用随附的法规建立法规库 %1，请稍候……</source>
        <translation>Making the collection %1 from the shipped laws, please wait…</translation>
    </message>
    <message>
        <source>正在建立法规库 </source>
        <translation>Making the collection </translation>
    </message>
</context>
<context>
    <name>CCollectionInfoDlg</name>
    <message>
        <source>无法读取</source>
        <translation>cannot be read</translation>
    </message>
    <message>
        <source>已建立，可用</source>
        <translation>built and in use</translation>
    </message>
    <message>
        <source>没有或需要重建（程序在后台建立；建立前搜索照常，只是较慢）</source>
        <translation>missing or to be made again (the program builds it in the background; searches work meanwhile, only slower)</translation>
    </message>
    <message>
        <source>正在建立：已建到编号 %1 的法规</source>
        <translation>being built: up to the law numbered %1</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>大小</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>（%1 字节）</source>
        <translation> (%1 bytes)</translation>
    </message>
    <message>
        <source>文件不存在</source>
        <translation>the file does not exist</translation>
    </message>
    <message>
        <source>%1 部</source>
        <translation>%1 laws</translation>
    </message>
    <message>
        <source>中文法规</source>
        <translation>Chinese laws</translation>
    </message>
    <message>
        <source>英文法规</source>
        <translation>English laws</translation>
    </message>
    <message>
        <source>上次更新</source>
        <translation>Last update</translation>
    </message>
    <message>
        <source>本机还没有更新过</source>
        <translation>none on this computer yet</translation>
    </message>
    <message>
        <source>更新服务器</source>
        <translation>Update server</translation>
    </message>
    <message>
        <source>（无）</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>中文全文索引</source>
        <translation>Chinese full-text index</translation>
    </message>
    <message>
        <source>英文全文索引</source>
        <translation>English full-text index</translation>
    </message>
    <message>
        <source>法规库信息</source>
        <translation>Collection Information</translation>
    </message>
    <message>
        <source>：</source>
        <translation>: </translation>
    </message>
</context>
<context>
    <name>CFavouritesDlg</name>
    <message>
        <source>打开(&amp;O)</source>
        <translation>&amp;Open</translation>
    </message>
    <message>
        <source>删除(&amp;D)</source>
        <translation>&amp;Delete</translation>
    </message>
    <message>
        <source>收藏夹</source>
        <translation>Favourites</translation>
    </message>
    <message>
        <source>收藏的法规(&amp;L)：</source>
        <translation>Favourite &amp;laws:</translation>
    </message>
    <message>
        <source>标题</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>版本</source>
        <translation>Edition</translation>
    </message>
    <message>
        <source>备注</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>收藏的法规</source>
        <translation>Favourite laws</translation>
    </message>
    <message>
        <source>每行一部法规：标题、版本和备注；在备注栏中输入可修改备注，回车打开法规</source>
        <translation>One law per row: title, edition and note; type in the note column to change the note, Enter opens the law</translation>
    </message>
    <message>
        <source>导出(&amp;E)...</source>
        <translation>&amp;Export...</translation>
    </message>
    <message>
        <source>导入(&amp;I)...</source>
        <translation>&amp;Import...</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>显示选中的法规并关闭收藏夹</source>
        <translation>Shows the selected law and closes the favourites</translation>
    </message>
    <message>
        <source>从收藏夹删除选中的法规</source>
        <translation>Removes the selected laws from the favourites</translation>
    </message>
    <message>
        <source>把收藏夹保存到文件</source>
        <translation>Saves the favourites to a file</translation>
    </message>
    <message>
        <source>把文件中的收藏加入收藏夹</source>
        <translation>Adds the favourites of a file to the list</translation>
    </message>
    <message>
        <source>导出收藏夹</source>
        <translation>Export Favourites</translation>
    </message>
    <message>
        <source>收藏夹 (*.json)</source>
        <translation>Favourites (*.json)</translation>
    </message>
    <message>
        <source>导入收藏夹</source>
        <translation>Import Favourites</translation>
    </message>
    <message>
        <source>收藏夹 (*.json);;所有文件 (*)</source>
        <translation>Favourites (*.json);;All files (*)</translation>
    </message>
    <message>
        <source>英文</source>
        <translation>English</translation>
    </message>
    <message>
        <source>中文</source>
        <translation>Chinese</translation>
    </message>
</context>
<context>
    <name>CFindBar</name>
    <message>
        <source>查找：</source>
        <translation>Find:</translation>
    </message>
    <message>
        <source>在本法规中查找</source>
        <translation>Find in this law</translation>
    </message>
    <message>
        <source>上一处</source>
        <translation>Previous</translation>
    </message>
    <message>
        <source>上一处 (Shift+Enter, Shift+F3)</source>
        <translation>Previous (Shift+Enter, Shift+F3)</translation>
    </message>
    <message>
        <source>下一处</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>下一处 (Enter, F3)</source>
        <translation>Next (Enter, F3)</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>关闭查找栏 (Esc)</source>
        <translation>Close the find bar (Esc)</translation>
    </message>
    <message>
        <source>第 %1 / %2 处</source>
        <translation>%1 of %2</translation>
    </message>
    <message>
        <source>共 %1 处</source>
        <translation>%1 found</translation>
    </message>
    <message>
        <source>未找到</source>
        <translation>Not found</translation>
    </message>
</context>
<context>
    <name>CFindDlg</name>
    <message>
        <source>查找对话框</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>请输入要查找的关键字</source>
        <translation>Words to find</translation>
    </message>
    <message>
        <source>开始查找</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CHelpWindow</name>
    <message>
        <source>Tolvarin 使用帮助</source>
        <translation>Tolvarin Help</translation>
    </message>
    <message>
        <source>目录</source>
        <translation>Contents</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>CInterfaceLanguage</name>
    <message>
        <source>界面语言(&amp;L)</source>
        <translation>Interface &amp;Language</translation>
    </message>
</context>
<context>
    <name>CLawListModel</name>
    <message>
        <source>标题</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>日期</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>文号</source>
        <translation>Number</translation>
    </message>
    <message>
        <source>部门</source>
        <translation>Department</translation>
    </message>
    <message>
        <source>没有发现记录</source>
        <translation>No records found</translation>
    </message>
    <message>
        <source>历史版本</source>
        <translation>earlier version</translation>
    </message>
</context>
<context>
    <name>CLawOutline</name>
    <message>
        <source>转到条文，如 第二百三十二条</source>
        <translation>Go to an article, e.g. 232</translation>
    </message>
    <message>
        <source>转到条文</source>
        <translation>Go to an article</translation>
    </message>
    <message>
        <source>条文目录</source>
        <translation>Headings of the law</translation>
    </message>
</context>
<context>
    <name>CLawPageCommands</name>
    <message>
        <source>打印预览...</source>
        <translation>Print Pre&amp;view...</translation>
    </message>
    <message>
        <source>另存为 PDF...</source>
        <translation>Save as &amp;PDF...</translation>
    </message>
    <message>
        <source>在本页查找...</source>
        <translation>&amp;Find on This Page...</translation>
    </message>
    <message>
        <source>查找下一个</source>
        <translation>Find &amp;Next</translation>
    </message>
    <message>
        <source>查找上一个</source>
        <translation>Find &amp;Previous</translation>
    </message>
    <message>
        <source>放大</source>
        <translation>Zoom &amp;In</translation>
    </message>
    <message>
        <source>缩小</source>
        <translation>Zoom &amp;Out</translation>
    </message>
    <message>
        <source>原始大小</source>
        <translation>&amp;Actual Size</translation>
    </message>
    <message>
        <source>条文</source>
        <translation>Articles</translation>
    </message>
    <message>
        <source> 条文：</source>
        <translation> Article: </translation>
    </message>
    <message>
        <source>转到条文</source>
        <translation>Go to an Article</translation>
    </message>
    <message>
        <source>找到 %1 处</source>
        <translation>%1 found</translation>
    </message>
    <message>
        <source>未找到</source>
        <translation>Not found</translation>
    </message>
</context>
<context>
    <name>CLeftView</name>
    <message>
        <source>目录</source>
        <translation>Contents</translation>
    </message>
    <message>
        <source>目录不完整：读取数据库时出错</source>
        <translation>Categories incomplete: an error while reading the database</translation>
    </message>
</context>
<context>
    <name>CMainFrame</name>
    <message>
        <source>新建</source>
        <translation>New</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>打开法规库(&amp;O)...	Ctrl+O</source>
        <translation>&amp;Open Collection...	Ctrl+O</translation>
    </message>
    <message>
        <source>打开一个法规库文件</source>
        <translation>Opens a collection file</translation>
    </message>
    <message>
        <source>打开法规库</source>
        <translation>Open Collection</translation>
    </message>
    <message>
        <source>打印...	Ctrl+P</source>
        <translation>&amp;Print...	Ctrl+P</translation>
    </message>
    <message>
        <source>打印当前法规</source>
        <translation>Prints the law shown</translation>
    </message>
    <message>
        <source>打印</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>打印设置</source>
        <translation>Print Setup</translation>
    </message>
    <message>
        <source>退出(&amp;x)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>剪切</source>
        <translation>Cut</translation>
    </message>
    <message>
        <source>复制</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>粘贴</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>标题查询</source>
        <translation>Title Search</translation>
    </message>
    <message>
        <source>高级查询</source>
        <translation>Advanced Search</translation>
    </message>
    <message>
        <source>正文查找</source>
        <translation>Find in Text</translation>
    </message>
    <message>
        <source>工具栏(&amp;T)</source>
        <translation>&amp;Toolbar</translation>
    </message>
    <message>
        <source>显示或隐藏工具栏</source>
        <translation>Shows or hides the toolbar</translation>
    </message>
    <message>
        <source>工具栏</source>
        <translation>Toolbar</translation>
    </message>
    <message>
        <source>状态栏(&amp;S)</source>
        <translation>&amp;Status Bar</translation>
    </message>
    <message>
        <source>显示或隐藏状态栏</source>
        <translation>Shows or hides the status bar</translation>
    </message>
    <message>
        <source>状态栏</source>
        <translation>Status bar</translation>
    </message>
    <message>
        <source>大图标</source>
        <translation>Large Icons</translation>
    </message>
    <message>
        <source>小图标</source>
        <translation>Small Icons</translation>
    </message>
    <message>
        <source>列表</source>
        <translation>List</translation>
    </message>
    <message>
        <source>详细资料</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>排列图标</source>
        <translation>Line Up Icons</translation>
    </message>
    <message>
        <source>按名称排序</source>
        <translation>Sort by Name</translation>
    </message>
    <message>
        <source>智能更新</source>
        <translation>Smart Update</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>中文法规</source>
        <translation>Chinese Laws</translation>
    </message>
    <message>
        <source>英文法规</source>
        <translation>English Laws</translation>
    </message>
    <message>
        <source>关于 Tolvarin(&amp;A)...</source>
        <translation>&amp;About Tolvarin...</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>使用帮助</source>
        <translation>&amp;Help Topics</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>访问 Tolvarin 网站</source>
        <translation>Visit the Tolvarin Web Site</translation>
    </message>
    <message>
        <source>投诉及建议</source>
        <translation>Complaints and Suggestions</translation>
    </message>
    <message>
        <source>下一窗格</source>
        <translation>Next Pane</translation>
    </message>
    <message>
        <source>上一窗格</source>
        <translation>Previous Pane</translation>
    </message>
    <message>
        <source>文件(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>查询(&amp;S)</source>
        <translation>&amp;Search</translation>
    </message>
    <message>
        <source>视图(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>网络升级</source>
        <translation>&amp;Update</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>标准</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>智能升级</source>
        <translation>Update</translation>
    </message>
    <message>
        <source>正在下载目录信息</source>
        <translation>Downloading categories</translation>
    </message>
    <message>
        <source>正在下载法规信息</source>
        <translation>Downloading laws</translation>
    </message>
    <message>
        <source>正在下载分类信息</source>
        <translation>Downloading category links</translation>
    </message>
    <message>
        <source>下载完成！ </source>
        <translation>Download complete! </translation>
    </message>
    <message>
        <source>下载完成!</source>
        <translation>Download complete!</translation>
    </message>
    <message>
        <source>正在下载中，请终止后再退出...</source>
        <translation>A download is running; stop it before exiting...</translation>
    </message>
    <message>
        <source>法规库信息(&amp;I)...</source>
        <translation>Collection &amp;Information...</translation>
    </message>
    <message>
        <source>法规库文件、各版法规数、上次更新和全文索引的状态</source>
        <translation>The collection&apos;s file, its laws per edition, the last update and the full-text index</translation>
    </message>
    <message>
        <source>更新已停止，已下载的内容已保存</source>
        <translation>The update was stopped; what was downloaded is kept</translation>
    </message>
</context>
<context>
    <name>CMakerInfo</name>
    <message>
        <source>版权所有 (C) 2026 Morvexal</source>
        <translation>Copyright (C) 2026 Morvexal</translation>
    </message>
</context>
<context>
    <name>CMessageService</name>
    <message>
        <source>连接数据失败，请检查网络和数据库设置是否正确</source>
        <translation>Cannot connect to the data; check the network and the database settings</translation>
    </message>
    <message>
        <source>连接失败</source>
        <translation>Connection failed</translation>
    </message>
    <message>
        <source>数据库记录打开失败！</source>
        <translation>Cannot open the database records!</translation>
    </message>
    <message>
        <source>记录失败</source>
        <translation>Record failure</translation>
    </message>
    <message>
        <source>数据库连接未知错误，无法捕捉具体错误信息!</source>
        <translation>Unknown database connection error; no details are available!</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>字段访问发生错误，请确认数据库结构没有改动。</source>
        <translation>A field could not be read; make sure the database structure has not been changed.</translation>
    </message>
    <message>
        <source>字段访问</source>
        <translation>Field access</translation>
    </message>
    <message>
        <source>无法读取数据库资料，可能数据库连接已经断开，请重新连接、然后重试。</source>
        <translation>Cannot read the database; the connection may have been lost. Connect again and retry.</translation>
    </message>
    <message>
        <source>连接问题</source>
        <translation>Connection problem</translation>
    </message>
</context>
<context>
    <name>CMessageText</name>
    <message>
        <source>找不到更新服务器 %1：服务器名称无法解析</source>
        <translation>Cannot find the update server %1: its name cannot be resolved</translation>
    </message>
    <message>
        <source>找不到代理服务器，无法连接到更新服务器 %1</source>
        <translation>Cannot find the proxy server; cannot connect to the update server %1</translation>
    </message>
    <message>
        <source>无法连接到更新服务器 %1：连接被拒绝</source>
        <translation>Cannot connect to the update server %1: the connection was refused</translation>
    </message>
    <message>
        <source>无法连接到更新服务器 %1：连接超时</source>
        <translation>Cannot connect to the update server %1: the connection timed out</translation>
    </message>
    <message>
        <source>无法连接到更新服务器 %1：网络不可达</source>
        <translation>Cannot connect to the update server %1: the network is unreachable</translation>
    </message>
    <message>
        <source>无法连接到更新服务器 %1：无法建立连接</source>
        <translation>Cannot connect to the update server %1: no connection could be made</translation>
    </message>
    <message>
        <source>连接更新服务器 %1 超时</source>
        <translation>The connection to the update server %1 timed out</translation>
    </message>
    <message>
        <source>更新服务器的地址无效：%1</source>
        <translation>The update server&apos;s address is not valid: %1</translation>
    </message>
    <message>
        <source>无法与更新服务器 %1 建立安全连接</source>
        <translation>Cannot make a secure connection to the update server %1</translation>
    </message>
    <message>
        <source>更新服务器 %1 重定向次数过多</source>
        <translation>The update server %1 redirected too many times</translation>
    </message>
    <message>
        <source>与更新服务器 %1 的连接中断</source>
        <translation>The connection to the update server %1 broke off</translation>
    </message>
    <message>
        <source>无法从更新服务器 %1 下载</source>
        <translation>Cannot download from the update server %1</translation>
    </message>
    <message>
        <source>请检查服务器名称是否写对、本机能否上网、域名解析（DNS）是否可用。更新服务器的地址在配置文件 tolvarin.conf 的 [Update] 组 Server 项中设置（或环境变量 TOLVARIN_UPDATE_SERVER）。（网络库错误代码 %1）</source>
        <translation>Check that the server&apos;s name is spelt right, that this computer is online and that name resolution (DNS) works. The update server&apos;s address is set by Server in group [Update] of tolvarin.conf (or the environment variable TOLVARIN_UPDATE_SERVER). (network library error %1)</translation>
    </message>
    <message>
        <source>请检查代理设置（环境变量 http_proxy、https_proxy）中的代理服务器名称。（网络库错误代码 %1）</source>
        <translation>Check the proxy server&apos;s name in the proxy settings (environment variables http_proxy, https_proxy). (network library error %1)</translation>
    </message>
    <message>
        <source>请检查更新服务器是否在运行，地址和端口是否正确。更新服务器的地址在配置文件 tolvarin.conf 的 [Update] 组 Server 项中设置（或环境变量 TOLVARIN_UPDATE_SERVER）。（网络库错误代码 %1）</source>
        <translation>Check that the update server is running and that its address and port are right. The update server&apos;s address is set by Server in group [Update] of tolvarin.conf (or the environment variable TOLVARIN_UPDATE_SERVER). (network library error %1)</translation>
    </message>
    <message>
        <source>请检查网络是否连通，防火墙或代理是否允许连接该服务器。（网络库错误代码 %1）</source>
        <translation>Check that the network works and that a firewall or proxy lets the connection to the server through. (network library error %1)</translation>
    </message>
    <message>
        <source>请检查本机的网络连接，以及服务器地址是否正确。更新服务器的地址在配置文件 tolvarin.conf 的 [Update] 组 Server 项中设置（或环境变量 TOLVARIN_UPDATE_SERVER）。（网络库错误代码 %1）</source>
        <translation>Check this computer&apos;s network connection and the server&apos;s address. The update server&apos;s address is set by Server in group [Update] of tolvarin.conf (or the environment variable TOLVARIN_UPDATE_SERVER). (network library error %1)</translation>
    </message>
    <message>
        <source>请检查更新服务器是否在运行、网络是否连通，以及地址和端口是否正确。更新服务器的地址在配置文件 tolvarin.conf 的 [Update] 组 Server 项中设置（或环境变量 TOLVARIN_UPDATE_SERVER）。（网络库错误代码 %1）</source>
        <translation>Check that the update server is running, that the network works and that the address and port are right. The update server&apos;s address is set by Server in group [Update] of tolvarin.conf (or the environment variable TOLVARIN_UPDATE_SERVER). (network library error %1)</translation>
    </message>
    <message>
        <source>请检查网络是否连通；服务器可能正忙，请稍后再试。（网络库错误代码 %1）</source>
        <translation>Check that the network works; the server may be busy, try again later. (network library error %1)</translation>
    </message>
    <message>
        <source>地址应形如 http://服务器名称:端口。更新服务器的地址在配置文件 tolvarin.conf 的 [Update] 组 Server 项中设置（或环境变量 TOLVARIN_UPDATE_SERVER）。（网络库错误代码 %1）</source>
        <translation>The address should read http://server-name:port. The update server&apos;s address is set by Server in group [Update] of tolvarin.conf (or the environment variable TOLVARIN_UPDATE_SERVER). (network library error %1)</translation>
    </message>
    <message>
        <source>请检查本机的日期和时间是否正确，以及服务器的证书是否有效。（网络库错误代码 %1）</source>
        <translation>Check this computer&apos;s date and time, and that the server&apos;s certificate is valid. (network library error %1)</translation>
    </message>
    <message>
        <source>请检查服务器地址是否正确，或告知服务器的管理员。（网络库错误代码 %1）</source>
        <translation>Check the server&apos;s address, or tell the server&apos;s administrator. (network library error %1)</translation>
    </message>
    <message>
        <source>请检查网络是否稳定，稍后再试。（网络库错误代码 %1）</source>
        <translation>Check that the network is stable and try again later. (network library error %1)</translation>
    </message>
    <message>
        <source>请检查网络连接和服务器地址。更新服务器的地址在配置文件 tolvarin.conf 的 [Update] 组 Server 项中设置（或环境变量 TOLVARIN_UPDATE_SERVER）。（网络库错误代码 %1）</source>
        <translation>Check the network connection and the server&apos;s address. The update server&apos;s address is set by Server in group [Update] of tolvarin.conf (or the environment variable TOLVARIN_UPDATE_SERVER). (network library error %1)</translation>
    </message>
    <message>
        <source>服务器的答复中有不属于 %1 字符集的字节，本次更新未完成；下次更新会重新下载其余记录。</source>
        <translation>The server&apos;s reply holds bytes that are not %1; this update did not finish. The next update downloads the remaining records again.</translation>
    </message>
    <message>
        <source>数据库正被其他程序写入，正在等待（最多 %1 秒）...</source>
        <translation>Another program is writing the database; waiting (up to %1 seconds)...</translation>
    </message>
    <message>
        <source>数据库被其他程序占用，等待 %1 秒后仍无法写入，本次更新未完成。请关闭正在写入 %2 的程序后再更新。</source>
        <translation>Another program still held the database after %1 seconds; this update did not finish. Close the program that writes %2 and update again.</translation>
    </message>
    <message>
        <source>%1 中没有法规库（缺少 %2）。无法更新。</source>
        <translation>%1 holds no law collection (%2 missing). Cannot update.</translation>
    </message>
    <message>
        <source>无法打开法规库 %1。</source>
        <translation>Cannot open the collection %1.</translation>
    </message>
    <message>
        <source>无法读取法规库 %1。</source>
        <translation>Cannot read the collection %1.</translation>
    </message>
    <message>
        <source>读取法规（编号 %1）时出错，无法显示。</source>
        <translation>An error while reading the law (number %1); it cannot be shown.</translation>
    </message>
    <message>
        <source>详细信息：%1</source>
        <translation>Details: %1</translation>
    </message>
    <message>
        <source>（法规库 %1）</source>
        <translation>(collection %1)</translation>
    </message>
    <message>
        <source>无法打开法规库 %1：%2</source>
        <translation>Cannot open the collection %1: %2</translation>
    </message>
    <message>
        <source>无法建立法规库：%1 已经存在，但不是法规库（%2）。请先移走或改名这个文件。</source>
        <translation>Cannot make the collection: %1 exists but is no collection (%2). Move or rename that file first.</translation>
    </message>
    <message>
        <source>建立法规库失败：%1</source>
        <translation>Making the collection failed: %1</translation>
    </message>
    <message>
        <source>无法更新：%1 不是法规库（%2）。请打开另一个法规库，或移走这个文件后再更新。</source>
        <translation>Cannot update: %1 is no collection (%2). Open another collection, or move that file away and update again.</translation>
    </message>
    <message>
        <source>无法建立法规库 %1：%2</source>
        <translation>Cannot make the collection %1: %2</translation>
    </message>
    <message>
        <source>无法建立文件夹 %1：%2</source>
        <translation>Cannot make the folder %1: %2</translation>
    </message>
    <message>
        <source>无法写入 %1：%2</source>
        <translation>Cannot write %1: %2</translation>
    </message>
    <message>
        <source>这不是普通文件（%1），不能作为法规库打开</source>
        <translation>This is no regular file (%1) and cannot be opened as a collection</translation>
    </message>
    <message>
        <source>无法读取这个文件：%1</source>
        <translation>Cannot read this file: %1</translation>
    </message>
    <message>
        <source>无法打开这个数据库：%1</source>
        <translation>Cannot open this database: %1</translation>
    </message>
    <message>
        <source>无法读取这个数据库：%1</source>
        <translation>Cannot read this database: %1</translation>
    </message>
    <message>
        <source>这个数据库里没有法规库的表和列（缺少 %1）</source>
        <translation>This database lacks the tables and columns of a collection (%1 missing)</translation>
    </message>
    <message>
        <source>%1 中没有法规库（缺少 %2）。</source>
        <translation>%1 holds no law collection (%2 missing).</translation>
    </message>
    <message>
        <source>“%1”是 Microsoft Access (Jet/ACE) 数据库文件，本程序只能打开 SQLite 格式的法规数据库。请先用 tolvarin-admin 建立或转换数据库。</source>
        <translation>“%1” is a Microsoft Access (Jet/ACE) database; this program opens law databases in SQLite format only. Make or convert one with tolvarin-admin first.</translation>
    </message>
    <message>
        <source>“%1”位于只读位置，而它的一部分更改还在“%2-wal”中，在这里无法完整读取。请把这两个文件复制到可写的位置再打开。</source>
        <translation>“%1” is in a read-only place while some of its changes are still in “%2-wal”, so it cannot be read whole here. Copy both files to a writable place and open it there.</translation>
    </message>
    <message>
        <source>读取法规列表时出错，列表只列出了已读到的 %1 条法规，其余的没有列出。</source>
        <translation>An error while reading the law list: it shows the %1 laws read; the others are not listed.</translation>
    </message>
    <message>
        <source>读取目录时出错，目录“%1”只显示了已读到的类别。</source>
        <translation>An error while reading the categories: “%1” shows only the categories read.</translation>
    </message>
    <message>
        <source>搜索法规正文时，有 %1 组法规（每组最多 %2 条）读不出来，结果中可能缺少其中的法规。</source>
        <translation>While searching the law texts, %1 groups of laws (up to %2 each) could not be read; their laws may be missing from the results.</translation>
    </message>
    <message>
        <source>没有搜索：搜索词太多。一次最多可以搜索 %1 个不同的词，这次有 %2 个。请减少搜索词后重试。</source>
        <translation>Not searched: too many words. A search takes up to %1 different words; this one has %2. Use fewer words and try again.</translation>
    </message>
    <message>
        <source>没有搜索：搜索词太长。一个词最多可以有 %1 个字节（约 %2 个汉字），这次有一个词长 %3 个字节。请缩短搜索词后重试。</source>
        <translation>Not searched: a word is too long. A word may have up to %1 bytes (about %2 Chinese characters); one word here has %3 bytes. Shorten it and try again.</translation>
    </message>
    <message>
        <source>日期 %1 不存在，请输入一个有效的日期。</source>
        <translation>The date %1 does not exist; please enter a valid date.</translation>
    </message>
    <message>
        <source>不是收藏夹列表：%1</source>
        <translation>Not a favourites list: %1</translation>
    </message>
    <message>
        <source>文件太大（%1 字节，最多 %2 字节）</source>
        <translation>the file is too large (%1 bytes; at most %2)</translation>
    </message>
    <message>
        <source>列表嵌套超过 %1 层</source>
        <translation>lists nested deeper than %1 levels</translation>
    </message>
    <message>
        <source>第 %1 条没有指明法规</source>
        <translation>entry %1 names no law</translation>
    </message>
    <message>
        <source>下载失败！</source>
        <translation>Download failed!</translation>
    </message>
    <message>
        <source>格式错误!</source>
        <translation>Format error!</translation>
    </message>
    <message>
        <source>无法启动网络连接（HTTP 客户端初始化失败）</source>
        <translation>Cannot start the network connection (the HTTP client could not be set up)</translation>
    </message>
    <message>
        <source>数据库写入失败，本次更新未完成；已写入的记录保留，下次更新会补齐其余记录。</source>
        <translation>Writing the database failed; this update did not finish. The records written stay; the next update brings the rest.</translation>
    </message>
    <message>
        <source>写入法规库时出错，这一项更改没有保存。</source>
        <translation>An error while writing the collection; this change was not saved.</translation>
    </message>
    <message>
        <source>数据库文件 db1.mdb 可能已经损坏。请换用一份完好的法规库，或用 tolvarin-admin 重新建立法规库。</source>
        <translation>The database file db1.mdb may be damaged. Use a sound collection, or make it again with tolvarin-admin.</translation>
    </message>
    <message>
        <source>法规库正被另一个程序使用。请稍后重试。</source>
        <translation>Another program is using the collection. Try again later.</translation>
    </message>
    <message>
        <source>读写法规库文件时出错，文件所在的磁盘或网络文件夹可能出了问题。请检查后重试。</source>
        <translation>An error while reading or writing the collection&apos;s file; its disk or network folder may have a problem. Check it and try again.</translation>
    </message>
    <message>
        <source>内存不足。请关闭一些程序后重试。</source>
        <translation>Out of memory. Close some programs and try again.</translation>
    </message>
    <message>
        <source>磁盘已满。请腾出空间后重试。</source>
        <translation>The disk is full. Make room and try again.</translation>
    </message>
    <message>
        <source>无法访问法规库文件。请确认文件还在、本程序有权读写它，然后重试。</source>
        <translation>Cannot reach the collection&apos;s file. Make sure it is still there and this program may read and write it, then try again.</translation>
    </message>
    <message>
        <source>操作被中断。请重试。</source>
        <translation>The operation was interrupted. Try again.</translation>
    </message>
    <message>
        <source>法规库的结构刚被改动。请重试。</source>
        <translation>The collection&apos;s structure was just changed. Try again.</translation>
    </message>
    <message>
        <source>请重试；如果问题依旧，请重新打开法规库。</source>
        <translation>Try again; if the problem stays, open the collection again.</translation>
    </message>
    <message>
        <source>详细信息：（没有）</source>
        <translation>Details: (none)</translation>
    </message>
    <message>
        <source>读取失败</source>
        <translation>Read Failed</translation>
    </message>
    <message>
        <source>查询失败</source>
        <translation>Query Failed</translation>
    </message>
    <message>
        <source>打开法规库</source>
        <translation>Open Collection</translation>
    </message>
    <message>
        <source>建立法规库</source>
        <translation>Make Collection</translation>
    </message>
    <message>
        <source>智能更新</source>
        <translation>Smart Update</translation>
    </message>
    <message>
        <source>没有找到随附的法规文件 laws-zh.jsonl.xz。</source>
        <translation>The shipped laws, laws-zh.jsonl.xz, were not found.</translation>
    </message>
    <message>
        <source>无法建立法规库：没有用户数据文件夹（HOME 未设置）。</source>
        <translation>Cannot make the collection: there is no user data folder (HOME is not set).</translation>
    </message>
    <message>
        <source>文件不存在</source>
        <translation>the file does not exist</translation>
    </message>
    <message>
        <source>这是一个文件夹，不是法规库文件</source>
        <translation>this is a folder, not a collection file</translation>
    </message>
    <message>
        <source>是一个文件夹</source>
        <translation>a folder</translation>
    </message>
    <message>
        <source>是一个命名管道</source>
        <translation>a named pipe</translation>
    </message>
    <message>
        <source>是一个套接字</source>
        <translation>a socket</translation>
    </message>
    <message>
        <source>是一个设备</source>
        <translation>a device</translation>
    </message>
    <message>
        <source>不是普通文件</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>无法读取这个文件（没有读取权限）</source>
        <translation>cannot read this file (no permission to read)</translation>
    </message>
    <message>
        <source>这是 Microsoft Access 数据库文件，本程序只能打开 SQLite 格式的法规库</source>
        <translation>this is a Microsoft Access database; this program opens collections in SQLite format only</translation>
    </message>
    <message>
        <source>这不是数据库文件</source>
        <translation>this is not a database file</translation>
    </message>
    <message>
        <source>无法列出法规：数据库无法执行这次查询，列表中没有结果。</source>
        <translation>Cannot list the laws: the database could not run this query; the list holds no results.</translation>
    </message>
    <message>
        <source>文件不是收藏夹列表（其中没有 JSON 对象）</source>
        <translation>the file is not a favourites list (no JSON object)</translation>
    </message>
    <message>
        <source>文件不是收藏夹列表（缺少格式标记或条目）</source>
        <translation>the file is not a favourites list (no format mark or entries)</translation>
    </message>
    <message>
        <source>列表中的条目太多</source>
        <translation>the list holds too many entries</translation>
    </message>
    <message>
        <source>服务器的答复中，%1 的编号、日期或时间含有不属于 %2 字符集的字节，无法保存；本次更新未完成。</source>
        <translation>In the server&apos;s reply, the number, date or time of %1 holds bytes that are not %2 and cannot be stored; this update did not finish.</translation>
    </message>
    <message>
        <source>英文版法规 %1「%2」</source>
        <translation>English law %1 “%2”</translation>
    </message>
    <message>
        <source>英文版分类 %1「%2」</source>
        <translation>English category %1 “%2”</translation>
    </message>
    <message>
        <source>法规 %1「%2」</source>
        <translation>law %1 “%2”</translation>
    </message>
    <message>
        <source>分类 %1「%2」</source>
        <translation>category %1 “%2”</translation>
    </message>
    <message>
        <source>英文版分类链接 %1</source>
        <translation>English category link %1</translation>
    </message>
    <message>
        <source>分类链接 %1</source>
        <translation>category link %1</translation>
    </message>
    <message>
        <source>英文版法规 %1</source>
        <translation>English law %1</translation>
    </message>
    <message>
        <source>英文版分类 %1</source>
        <translation>English category %1</translation>
    </message>
    <message>
        <source>法规 %1</source>
        <translation>law %1</translation>
    </message>
    <message>
        <source>分类 %1</source>
        <translation>category %1</translation>
    </message>
</context>
<context>
    <name>CMoreHtmlView</name>
    <message>
        <source>上一部分</source>
        <translation>Previous part</translation>
    </message>
    <message>
        <source>全文过长，分 %1 部分显示：第 %2 部分</source>
        <translation>The text is long and shown in %1 parts: part %2</translation>
    </message>
    <message>
        <source>下一部分</source>
        <translation>Next part</translation>
    </message>
</context>
<context>
    <name>CPrintRun</name>
    <message>
        <source>正在准备打印...</source>
        <translation>Preparing the pages...</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>打印预览</source>
        <translation>Print Preview</translation>
    </message>
    <message>
        <source>打印</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>正在打印第 %1 页，共 %2 页</source>
        <translation>Printing page %1 of %2</translation>
    </message>
</context>
<context>
    <name>CReadOnlyNotice</name>
    <message>
        <source>数据库 db1.mdb 位于只读位置（只读介质，或没有写入权限），只能浏览和搜索；智能更新需要写入数据库，已停用。请把 db1.mdb 复制到可写的位置后再更新。</source>
        <translation>The database db1.mdb is in a read-only place (read-only medium, or no permission to write): you can browse and search; Smart Update, which writes to the database, is off. Copy db1.mdb to a writable place to update it.</translation>
    </message>
    <message>
        <source>只读：智能更新已停用</source>
        <translation>Read-only: Smart Update is off</translation>
    </message>
</context>
<context>
    <name>CReader</name>
    <message>
        <source>后退</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>回到前一部法规</source>
        <translation>Goes back to the previous law</translation>
    </message>
    <message>
        <source>后退 (Alt+Left)</source>
        <translation>Back (Alt+Left)</translation>
    </message>
    <message>
        <source>前进</source>
        <translation>Forward</translation>
    </message>
    <message>
        <source>回到后一部法规</source>
        <translation>Goes forward to the next law</translation>
    </message>
    <message>
        <source>前进 (Alt+Right)</source>
        <translation>Forward (Alt+Right)</translation>
    </message>
    <message>
        <source>收藏</source>
        <translation>Favourite</translation>
    </message>
    <message>
        <source>把显示的法规加入收藏夹或从中删除</source>
        <translation>Adds the law shown to the favourites or removes it</translation>
    </message>
    <message>
        <source>整理收藏夹...</source>
        <translation>Organise Favourites...</translation>
    </message>
    <message>
        <source>列出收藏的法规，打开、删除或加备注</source>
        <translation>Lists the favourite laws to open, delete or annotate them</translation>
    </message>
    <message>
        <source>清除最近阅读的法规</source>
        <translation>Clear Recent Laws</translation>
    </message>
    <message>
        <source>收藏夹(&amp;A)</source>
        <translation>F&amp;avourites</translation>
    </message>
    <message>
        <source>历史(&amp;G)</source>
        <translation>&amp;Go</translation>
    </message>
    <message>
        <source>最近阅读的法规(&amp;R)</source>
        <translation>&amp;Recent Laws</translation>
    </message>
    <message>
        <source>导航</source>
        <translation>Navigation</translation>
    </message>
    <message>
        <source>这部法规已不在法规库中：%1</source>
        <translation>This law is no longer in the collection: %1</translation>
    </message>
    <message>
        <source>没有找到法规：%1</source>
        <translation>No law found: %1</translation>
    </message>
    <message>
        <source>无法写入收藏夹文件 %1：%2</source>
        <translation>Cannot write the favourites file %1: %2</translation>
    </message>
    <message>
        <source>无法读取收藏夹文件 %1：%2</source>
        <translation>Cannot read the favourites file %1: %2</translation>
    </message>
    <message>
        <source>%1 不是收藏夹文件：%2</source>
        <translation>%1 is not a favourites file: %2</translation>
    </message>
    <message>
        <source>收藏夹无法读取（%1），已原样保存在设置 %2 中；收藏夹从空白开始。</source>
        <translation>The favourites could not be read (%1); they are kept as they were in the setting %2, and the favourites start empty.</translation>
    </message>
    <message>
        <source>收藏本条</source>
        <translation>Bookmark This Article</translation>
    </message>
    <message>
        <source>把光标所在的条文加入收藏夹或从中删除</source>
        <translation>Add the article at the caret to the favourites or remove it</translation>
    </message>
    <message>
        <source>光标不在条文中</source>
        <translation>The caret is not in an article</translation>
    </message>
    <message>
        <source>这部法规没有这一条：%1</source>
        <translation>This law has no such article: %1</translation>
    </message>
    <message>
        <source>已收藏：%1%2</source>
        <translation>Bookmarked: %1%2</translation>
    </message>
    <message>
        <source>已从收藏夹删除：%1%2</source>
        <translation>Removed from the favourites: %1%2</translation>
    </message>
    <message>
        <source>无法显示这部法规（编号 %1）</source>
        <translation>This law cannot be shown (lawid %1)</translation>
    </message>
</context>
<context>
    <name>CSearchBox</name>
    <message>
        <source>搜索栏</source>
        <translation>Search bar</translation>
    </message>
    <message>
        <source>搜索法规标题 (Ctrl+L)</source>
        <translation>Search law titles (Ctrl+L)</translation>
    </message>
    <message>
        <source>搜索</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>当前分类</source>
        <translation>Current category</translation>
    </message>
    <message>
        <source>全部法规</source>
        <translation>All laws</translation>
    </message>
    <message>
        <source>搜索范围</source>
        <translation>Search scope</translation>
    </message>
    <message>
        <source>正文</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>在法规正文中搜索</source>
        <translation>Search the texts of the laws</translation>
    </message>
    <message>
        <source>搜索法规正文 (Ctrl+L)</source>
        <translation>Search law texts (Ctrl+L)</translation>
    </message>
    <message>
        <source>在全部法规中搜索(&amp;W)</source>
        <translation>Search all la&amp;ws</translation>
    </message>
    <message>
        <source>在%1中找到 %2 部法规</source>
        <translation>Found %2 laws in %1</translation>
    </message>
    <message>
        <source>，全部法规中有 %1 部</source>
        <translation>; all laws hold %1</translation>
    </message>
    <message>
        <source>在全部法规中搜索(&amp;W) (%1)</source>
        <translation>Search all la&amp;ws (%1)</translation>
    </message>
    <message>
        <source>全部法规</source>
        <comment>search scope</comment>
        <translation>All laws</translation>
    </message>
</context>
<context>
    <name>CSearchIndexBuilder</name>
    <message>
        <source>正在建立全文索引：%1 / %2 部法规（其余法规逐篇查找）</source>
        <translation>Building the full-text index: %1 / %2 laws (the others are searched text by text)</translation>
    </message>
    <message>
        <source>全文索引已建立</source>
        <translation>The full-text index is built</translation>
    </message>
    <message>
        <source>全文索引已损坏，正在重建；搜索暂不使用索引</source>
        <translation>The full-text index is damaged and being rebuilt; searches go without it meanwhile</translation>
    </message>
    <message>
        <source>全文索引暂不可用：搜索逐篇查找法规正文</source>
        <translation>The full-text index cannot be used for now: searches read every law text</translation>
    </message>
    <message>
        <source>正在整理法规间的引用：%1 / %2 部法规</source>
        <translation>Gathering the citations between the laws: %1 / %2 laws</translation>
    </message>
</context>
<context>
    <name>CShowLawView</name>
    <message>
        <source>打印</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>另存为 PDF</source>
        <translation>Save as PDF</translation>
    </message>
    <message>
        <source>版本：</source>
        <translation>Versions: </translation>
    </message>
    <message>
        <source>日期不详</source>
        <translation>date unknown</translation>
    </message>
    <message>
        <source>现行</source>
        <translation>in force</translation>
    </message>
    <message>
        <source>历史版本</source>
        <translation>earlier version</translation>
    </message>
    <message>
        <source>对照</source>
        <translation>compare</translation>
    </message>
    <message>
        <source>本法规库未收录此法规</source>
        <translation>This collection does not hold this law</translation>
    </message>
    <message>
        <source>（未找到%1）</source>
        <translation>(%1 not found)</translation>
    </message>
    <message>
        <source>这个简称指两部法规，点击选择其一。</source>
        <translation>This short title names two laws: click to choose one.</translation>
    </message>
</context>
<context>
    <name>CTitleSearchDlg</name>
    <message>
        <source>标题搜索对话框</source>
        <translation>Title Search</translation>
    </message>
    <message>
        <source>请输入标题中所包含的关键词（多关键词请用空格分隔）</source>
        <translation>Words in the title (separate several words by spaces)</translation>
    </message>
    <message>
        <source>在当前分类中搜索</source>
        <translation>Search in the current category</translation>
    </message>
    <message>
        <source>在所有分类中搜索</source>
        <translation>Search in all categories</translation>
    </message>
    <message>
        <source>开始搜索</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CTolvarinView</name>
    <message>
        <source>法规列表不完整：读取数据库时出错</source>
        <translation>Law list incomplete: an error while reading the database</translation>
    </message>
    <message>
        <source>搜索结果不完整：读取数据库时出错</source>
        <translation>Search results incomplete: an error while reading the database</translation>
    </message>
    <message>
        <source>没有列出法规：数据库无法执行这次查询</source>
        <translation>No laws listed: the database could not run this query</translation>
    </message>
</context>
<context>
    <name>CUpdateConfirmDlg</name>
    <message>
        <source>数据更新</source>
        <translation>Data Update</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>放弃</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CVersionCompareDlg</name>
    <message>
        <source>版本对照</source>
        <translation>Compare Versions</translation>
    </message>
    <message>
        <source>上一处改动</source>
        <translation>Previous Change</translation>
    </message>
    <message>
        <source>下一处改动</source>
        <translation>Next Change</translation>
    </message>
    <message>
        <source>打印...</source>
        <translation>Print...</translation>
    </message>
    <message>
        <source>另存为 PDF...</source>
        <translation>Save as PDF...</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>无法读取要对照的版本</source>
        <translation>The versions to compare cannot be read</translation>
    </message>
    <message>
        <source>版本对照 - %1</source>
        <translation>Compare Versions - %1</translation>
    </message>
    <message>
        <source>现行</source>
        <translation>in force</translation>
    </message>
    <message>
        <source>历史版本</source>
        <translation>earlier version</translation>
    </message>
    <message>
        <source>日期不详</source>
        <translation>date unknown</translation>
    </message>
    <message>
        <source>两个版本的文字相同</source>
        <translation>The two versions have the same text</translation>
    </message>
    <message>
        <source>共 %1 处改动：修改 %2，新增 %3，删除 %4</source>
        <translation>%1 changes: %2 changed, %3 added, %4 removed</translation>
    </message>
    <message>
        <source>第 %1 处，</source>
        <translation>Change %1 of </translation>
    </message>
    <message>
        <source>打印</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>另存为 PDF</source>
        <translation>Save as PDF</translation>
    </message>
    <message>
        <source>（对照）</source>
        <translation> (comparison)</translation>
    </message>
</context>
<context>
    <name>CWelcomePage</name>
    <message>
        <source>欢迎使用 Tolvarin 法律法规查询</source>
        <translation>Welcome to Tolvarin</translation>
    </message>
    <message>
        <source>文件 %1 不是法规库：%2。</source>
        <translation>The file %1 is not a law collection: %2.</translation>
    </message>
    <message>
        <source>还没有法规库。请选择一种方式开始：</source>
        <translation>There is no law collection yet. Choose how to begin:</translation>
    </message>
    <message>
        <source>用随附的法规建立法规库</source>
        <translation>Make a collection from the shipped laws</translation>
    </message>
    <message>
        <source>用程序随附的 1557 部中国法律法规建立您自己的法规库，只需几秒钟。</source>
        <translation>Makes your own collection of the 1,557 Chinese laws shipped with the program, in a few seconds.</translation>
    </message>
    <message>
        <source>没有找到随附的法规文件 laws-zh.jsonl.xz。</source>
        <translation>The shipped laws, laws-zh.jsonl.xz, were not found.</translation>
    </message>
    <message>
        <source>打开法规库…</source>
        <translation>Open a collection…</translation>
    </message>
    <message>
        <source>选择一个已有的法规库文件（如 db1.mdb）。</source>
        <translation>Choose an existing collection file (such as db1.mdb).</translation>
    </message>
    <message>
        <source>用智能更新下载法规库</source>
        <translation>Download a collection with Smart Update</translation>
    </message>
    <message>
        <source>建立空的法规库，从更新服务器下载全部法规（需要能连接到该服务器）。</source>
        <translation>Makes an empty collection and downloads every law from the update server (which must be reachable).</translation>
    </message>
    <message>
        <source>详细信息</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>程序依次查找了以下位置：</source>
        <translation>The program looked in these places, in this order:</translation>
    </message>
    <message>
        <source>新的法规库建在：</source>
        <translation>A new collection goes to:</translation>
    </message>
    <message>
        <source>随附的法规：</source>
        <translation>Shipped laws:</translation>
    </message>
    <message>
        <source>更新服务器：</source>
        <translation>Update server:</translation>
    </message>
    <message>
        <source>详细说明见 帮助 → 使用帮助（F1）。</source>
        <translation>More in Help → Help Topics (F1).</translation>
    </message>
</context>
</TS>
