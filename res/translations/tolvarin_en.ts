<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>CAboutDlg</name>
    <message>
        <source>确定</source>
        <translation>OK</translation>
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
    <name>CLeftView</name>
    <message>
        <source>目录</source>
        <translation>Contents</translation>
    </message>
</context>
<context>
    <name>CMainFrame</name>
    <message>
        <source>新建</source>
        <translation>New</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Open</translation>
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
</context>
<context>
    <name>CLawOutline</name>
    <message>
        <source>转到条文，如 第二百三十二条</source>
        <translation>Go to an article, e.g. 第二百三十二条</translation>
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
    <name>CSearchIndexBuilder</name>
    <message>
        <source>正在建立全文索引：%1 / %2 部法规（其余法规逐篇查找）</source>
        <translation>Building the full-text index: %1 / %2 laws (the others are searched text by text)</translation>
    </message>
    <message>
        <source>全文索引已建立</source>
        <translation>Full-text index built</translation>
    </message>
    <message>
        <source>全文索引已损坏，正在重建；搜索暂不使用索引</source>
        <translation>The full-text index is damaged and being rebuilt; searches go without it meanwhile</translation>
    </message>
    <message>
        <source>全文索引暂不可用：搜索逐篇查找法规正文</source>
        <translation>The full-text index cannot be used for now: searches read every law text</translation>
    </message>
</context>
<context>
    <name>CShowLawView</name>
    <message>
        <source>打印</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>打印预览</source>
        <translation>Print Preview</translation>
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
    <name>CArticleCommands</name>
    <message>
        <source>复制条文</source>
        <translation>Copy Article</translation>
    </message>
    <message>
        <source>复制光标所在的条文和它的出处，如《中华人民共和国刑法》第二百三十二条</source>
        <translation>Copy the article at the caret with its citation, e.g. 《中华人民共和国刑法》第二百三十二条</translation>
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
    <name>CMoreHtmlView</name>
    <message>
        <source>上一部分</source>
        <translation>Previous part</translation>
    </message>
    <message>
        <source>全文过长，分 %1 部分显示：第 %2 部分</source>
        <translation>The text is too long and is shown in %1 parts: part %2</translation>
    </message>
    <message>
        <source>下一部分</source>
        <translation>Next part</translation>
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
</TS>
