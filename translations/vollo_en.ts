<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ja_JP">
<context>
    <name>AM_Vollo</name>
    <message>
        <source>リポジトリを開けませんでした。
%1

%2

今のファイルを別の名前で残し、新しいリポジトリを始めますか？</source>
        <translation>The repository could not be opened.
%1

%2

Keep the current file under another name and start a new repository?</translation>
    </message>
    <message>
        <source>新しいリポジトリを始めました。元のファイルは次の名前で残してあります。
%1</source>
        <translation>A new repository has been started. The previous file was kept under this name:
%1</translation>
    </message>
    <message>
        <source>リポジトリを新しい形に更新しています…</source>
        <translation>Updating the repository to the new format…</translation>
    </message>
</context>
<context>
    <name>CCategory</name>
    <message>
        <source>カテゴリ</source>
        <translation>Categories</translation>
    </message>
    <message>
        <source>カテゴリ &quot;%1&quot; がツリーに二度登録されようとしました。リポジトリのカテゴリが重複していないか確かめてください。</source>
        <translation>The category &quot;%1&quot; was about to be added to the tree twice. Check the repository for duplicate categories.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; はカテゴリのキー（&quot;H&quot; と番号）ではありません。リポジトリが壊れていないか確かめてください。</source>
        <translation>&quot;%1&quot; is not a category key (&quot;H&quot; and a number). Check whether the repository is damaged.</translation>
    </message>
    <message>
        <source>カテゴリ &quot;%1&quot; はツリーにありません。削除された可能性があります。ほかのカテゴリを選んでください。</source>
        <translation>The category &quot;%1&quot; is not in the tree; it may have been deleted. Choose another category.</translation>
    </message>
</context>
<context>
    <name>CCategoryEditor</name>
    <message>
        <source>新しいカテゴリ</source>
        <translation>New Category</translation>
    </message>
    <message>
        <source>新しいカテゴリの名前:</source>
        <translation>Name of the new category:</translation>
    </message>
    <message>
        <source>名前の変更</source>
        <translation>Rename</translation>
    </message>
    <message>
        <source>カテゴリ「%1」の新しい名前:</source>
        <translation>New name of the category &quot;%1&quot;:</translation>
    </message>
    <message>
        <source>カテゴリの削除</source>
        <translation>Delete Category</translation>
    </message>
    <message numerus="yes">
        <source>カテゴリ「%1」を削除しますか？
このカテゴリには %Ln 個のファイルがあります。ファイルはこのカテゴリから外れるだけで、ファイルそのものは削除されません。</source>
        <translation>
            <numerusform>Delete the category &quot;%1&quot;?
It holds %Ln file. It only leaves this category; the file itself is not deleted.</numerusform>
            <numerusform>Delete the category &quot;%1&quot;?
It holds %Ln files. They only leave this category; the files themselves are not deleted.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>カテゴリ「%1」を削除しますか？
この下には %2 があり、合わせて %Ln 個のファイルがあります。下のカテゴリは一つ上に移ります。ファイルはカテゴリから外れるだけで、ファイルそのものは削除されません。</source>
        <translation>
            <numerusform>Delete the category &quot;%1&quot;?
It has %2 below it, holding %Ln file in all. The categories below move up one level. The files only leave the categories; the files themselves are not deleted.</numerusform>
            <numerusform>Delete the category &quot;%1&quot;?
It has %2 below it, holding %Ln files in all. The categories below move up one level. The files only leave the categories; the files themselves are not deleted.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln 個のカテゴリ</source>
        <translation>
            <numerusform>%Ln category</numerusform>
            <numerusform>%Ln categories</numerusform>
        </translation>
    </message>
    <message>
        <source>カテゴリ</source>
        <translation>Category</translation>
    </message>
    <message>
        <source>カテゴリ「%1」を削除しますか？
このカテゴリには %2 個のファイルがあります。ファイルはこのカテゴリから外れるだけで、ファイルそのものは削除されません。</source>
        <translation>Delete the category &quot;%1&quot;?
It holds %2 files. They only leave this category; the files themselves are not deleted.</translation>
    </message>
    <message>
        <source>カテゴリ「%1」を削除しますか？
この下には %3 個のカテゴリがあり、合わせて %2 個のファイルがあります。下のカテゴリは一つ上に移ります。ファイルはカテゴリから外れるだけで、ファイルそのものは削除されません。</source>
        <translation>Delete the category &quot;%1&quot;?
It has %3 categories below it, holding %2 files in all. The categories below move up one level. The files only leave the categories; the files themselves are not deleted.</translation>
    </message>
</context>
<context>
    <name>CCategoryMenu</name>
    <message>
        <source>新しいカテゴリ...</source>
        <translation>New Category...</translation>
    </message>
    <message>
        <source>名前の変更...</source>
        <translation>Rename...</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>フォルダを取り込む...</source>
        <translation>Collect Folder...</translation>
    </message>
    <message>
        <source>カテゴリをファイル マネージャーのタグにも書き込む</source>
        <translation>Also Write Categories into File Manager Tags</translation>
    </message>
</context>
<context>
    <name>CDesktopTags</name>
    <message>
        <source>カテゴリをファイル マネージャーのタグ (user.xdg.tags) にも書き込みますか？

Dolphin や Nautilus、デスクトップ検索でカテゴリが見えるようになります。文書の中身と更新日時は変わりません。カテゴリ ツリーのメニューからいつでも変えられます。</source>
        <translation>Also write categories into the file manager&apos;s tags (user.xdg.tags)?

Dolphin, Nautilus and desktop search will then see them. The documents&apos; contents and modification times do not change. You can change this at any time from the category tree&apos;s menu.</translation>
    </message>
    <message>
        <source>カテゴリをタグに書き込んでいます...</source>
        <translation>Writing categories into tags...</translation>
    </message>
    <message>
        <source>Vollo が書き込んだタグを文書から取り除きますか？
ほかのプログラムが書き込んだタグはそのまま残ります。</source>
        <translation>Remove the tags Vollo wrote from the documents?
Tags written by other programs stay.</translation>
    </message>
    <message>
        <source>書き込んだタグを取り除いています...</source>
        <translation>Removing the tags Vollo wrote...</translation>
    </message>
    <message>
        <source>取り込んだ文書にファイル マネージャーのタグが付いています。チェックしたタグをカテゴリにして、文書を分類しますか？</source>
        <translation>The collected documents carry file manager tags. Make the checked tags categories and file the documents under them?</translation>
    </message>
</context>
<context>
    <name>CCategoryColouring</name>
    <message>
        <source>色</source>
        <translation>Colour</translation>
    </message>
    <message>
        <source>なし</source>
        <translation>None</translation>
    </message>
</context>
<context>
    <name>CCategoryColours</name>
    <message>
        <source>赤</source>
        <translation>Red</translation>
    </message>
    <message>
        <source>オレンジ</source>
        <translation>Orange</translation>
    </message>
    <message>
        <source>黄</source>
        <translation>Yellow</translation>
    </message>
    <message>
        <source>緑</source>
        <translation>Green</translation>
    </message>
    <message>
        <source>青緑</source>
        <translation>Teal</translation>
    </message>
    <message>
        <source>青</source>
        <translation>Blue</translation>
    </message>
    <message>
        <source>紫</source>
        <translation>Purple</translation>
    </message>
    <message>
        <source>灰色</source>
        <translation>Grey</translation>
    </message>
</context>
<context>
    <name>CCategoryStore</name>
    <message numerus="yes">
        <source>これ以上カテゴリを作れません。カテゴリは %Ln 個までです。
使わないカテゴリを削除してから作り直してください。</source>
        <translation>
            <numerusform>No more categories can be made: there can be up to %Ln category.
Delete categories you do not use, then try again.</numerusform>
            <numerusform>No more categories can be made: there can be up to %Ln categories.
Delete categories you do not use, then try again.</numerusform>
        </translation>
    </message>
    <message>
        <source>カテゴリを、それ自身やその下のカテゴリの中には入れられません。</source>
        <translation>A category cannot go into itself or into a category below it.</translation>
    </message>
    <message>
        <source>カテゴリの名前が空です。名前を入力してください。</source>
        <translation>The category name is empty. Enter a name.</translation>
    </message>
    <message>
        <source>カテゴリ「%1」はすでにあります（大文字と小文字は区別しません）。
別の名前を入力してください。</source>
        <translation>The category &quot;%1&quot; already exists (letter case is ignored).
Enter another name.</translation>
    </message>
    <message>
        <source>これ以上カテゴリを作れません。カテゴリの番号は %1 までです。
使わないカテゴリを削除してから作り直してください。</source>
        <translation>No more categories can be made: category numbers go up to %1.
Delete categories you do not use, then try again.</translation>
    </message>
    <message>
        <source>これ以上カテゴリを作れません。カテゴリは %1 個までです。
使わないカテゴリを削除してから作り直してください。</source>
        <translation>No more categories can be made: there can be up to %1 categories.
Delete categories you do not use, then try again.</translation>
    </message>
</context>
<context>
    <name>CCheckListView</name>
    <message>
        <source>カテゴリの番号が空です。リポジトリが壊れていないか確かめてください。</source>
        <translation>A category number is empty. Check whether the repository is damaged.</translation>
    </message>
    <message>
        <source>カテゴリの番号 &quot;%1&quot; が 32 ビットの整数ではありません。リポジトリが壊れていないか確かめてください。</source>
        <translation>The category number &quot;%1&quot; is not a 32-bit integer. Check whether the repository is damaged.</translation>
    </message>
    <message>
        <source>カテゴリ &quot;%1&quot; が一覧に二度登録されようとしました。リポジトリのカテゴリが重複していないか確かめてください。</source>
        <translation>The category &quot;%1&quot; was about to be added to the list twice. Check the repository for duplicate categories.</translation>
    </message>
</context>
<context>
    <name>CCommandLine</name>
    <message>
        <source>ファイルを動かさずにカテゴリで整理します。</source>
        <translation>Organises your documents by category without moving them.</translation>
    </message>
    <message>
        <source>使い方は vollo --help で表示されます。</source>
        <translation>Run vollo --help to see how to use it.</translation>
    </message>
    <message>
        <source>引数は受け付けません:</source>
        <translation>Vollo takes no arguments:</translation>
    </message>
    <message>
        <source>vollo: ウィンドウを表示できません。ディスプレイがありません (DISPLAY も WAYLAND_DISPLAY も設定されていません)。
</source>
        <translation>vollo: cannot show a window: there is no display (neither DISPLAY nor WAYLAND_DISPLAY is set).
</translation>
    </message>
    <message>
        <source>このヘルプを表示します。</source>
        <translation>Displays this help.</translation>
    </message>
    <message>
        <source>--help と同じヘルプを表示します。</source>
        <translation>Displays the same help as --help.</translation>
    </message>
    <message>
        <source>バージョン情報を表示します。</source>
        <translation>Displays version information.</translation>
    </message>
    <message>
        <source>ファイルのカテゴリ ダイアログを開きます。取り込まれていないファイルは先に取り込みます。</source>
        <translation>Opens the category dialog on the files. Files not collected yet are collected first.</translation>
    </message>
    <message>
        <source>--categories で開くファイル。</source>
        <translation>Files for --categories.</translation>
    </message>
    <message>
        <source>--categories にはファイルを指定してください。</source>
        <translation>--categories needs files.</translation>
    </message>
</context>
<context>
    <name>CContextMenu</name>
    <message>
        <source>「%1」</source>
        <translation>&quot;%1&quot;</translation>
    </message>
    <message numerus="yes">
        <source>%Ln 個のファイル</source>
        <translation>
            <numerusform>%Ln file</numerusform>
            <numerusform>%Ln files</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 を最近使ったファイルから取り除きますか？

デスクトップの「最近使ったファイル」からも消え、ほかのプログラムにも表示されなくなります。Vollo に取り込んだものとカテゴリはそのまま残ります。</source>
        <translation>Remove %1 from the recent files?

They also leave the desktop&apos;s &quot;Recent Files&quot; and no other program shows them there. What Vollo has collected and its categories stay as they are.</translation>
    </message>
    <message>
        <source>%1 のショートカットを削除しますか？

Vollo から外れ、すべてのカテゴリからも外れます。</source>
        <translation>Delete the shortcut of %1?

It leaves Vollo and every category.</translation>
    </message>
    <message>
        <source>
ファイルそのものは削除しません。</source>
        <translation>
The files themselves are not deleted.</translation>
    </message>
    <message>
        <source>ショートカットを削除</source>
        <translation>Delete Shortcut</translation>
    </message>
    <message>
        <source>「%1」を最近使ったファイルの一覧から取り除けませんでした。
%2 に書き込めるか確かめてください。</source>
        <translation>&quot;%1&quot; could not be removed from the list of recent files.
Check that %2 can be written.</translation>
    </message>
    <message>
        <source>ショートカット「%1」を削除できませんでした。
%2</source>
        <translation>The shortcut &quot;%1&quot; could not be deleted.
%2</translation>
    </message>
    <message>
        <source>開く(&amp;O)</source>
        <translation>&amp;Open</translation>
    </message>
    <message>
        <source>プログラムから開く(&amp;H)</source>
        <translation>Open wit&amp;h</translation>
    </message>
    <message>
        <source>(アプリケーションがありません)</source>
        <translation>(no applications)</translation>
    </message>
    <message>
        <source>フォルダに表示(&amp;F)</source>
        <translation>Show in &amp;Folder</translation>
    </message>
    <message>
        <source>パスをコピー(&amp;C)</source>
        <translation>&amp;Copy Path</translation>
    </message>
    <message>
        <source>ショートカットを削除(&amp;D)</source>
        <translation>&amp;Delete Shortcut</translation>
    </message>
    <message>
        <source>プロパティ(&amp;R)</source>
        <translation>P&amp;roperties</translation>
    </message>
    <message>
        <source>プロパティ</source>
        <translation>Properties</translation>
    </message>
    <message>
        <source>カテゴリから外す(&amp;U)</source>
        <translation>Take O&amp;ut of Category</translation>
    </message>
    <message>
        <source>%1 個のファイル</source>
        <translation>%1 files</translation>
    </message>
</context>
<context>
    <name>CFingerprintStatus</name>
    <message>
        <source>移動の追跡に使う情報を作成中 %1 / %2</source>
        <translation>Preparing move tracking: %1 / %2</translation>
    </message>
</context>
<context>
    <name>CFileCollector</name>
    <message>
        <source>リンク先が見つかりません。</source>
        <translation>The link points to nothing that exists.</translation>
    </message>
    <message>
        <source>Web のリンクです。ファイルを保存してから、そのファイルをドロップしてください。</source>
        <translation>This is a web link. Save the file first, then drop the saved file.</translation>
    </message>
    <message>
        <source>このコンピュータの上のファイルではありません。</source>
        <translation>This is not a file on this computer.</translation>
    </message>
    <message>
        <source>見つかりません。名前に UTF-8 でない文字が含まれているか、移動か削除されたファイルです。</source>
        <translation>Not found. Its name holds characters that are not UTF-8, or the file was moved or deleted.</translation>
    </message>
    <message>
        <source>通常のファイルではありません。</source>
        <translation>This is not a regular file.</translation>
    </message>
</context>
<context>
    <name>CFileDB</name>
    <message>
        <source>ファイルがありません</source>
        <translation>there is no file</translation>
    </message>
    <message>
        <source>ファイルではなくフォルダーなどです</source>
        <translation>it is a folder or the like, not a file</translation>
    </message>
    <message>
        <source>中身のない空のファイルです</source>
        <translation>it is an empty file</translation>
    </message>
    <message>
        <source>読み取れません: %1</source>
        <translation>cannot be read: %1</translation>
    </message>
    <message>
        <source>SQLite のデータベースではありません</source>
        <translation>it is not an SQLite database</translation>
    </message>
    <message>
        <source>表のひとつもない空のデータベースです</source>
        <translation>it is an empty database without a single table</translation>
    </message>
    <message>
        <source>表 &quot;query&quot; と &quot;resource&quot; がなく、別のプログラムのデータベースです</source>
        <translation>it has no tables &quot;query&quot; and &quot;resource&quot;; it is another program&apos;s database</translation>
    </message>
    <message>
        <source>リポジトリ「%1」は、ほかに起動している Vollo が使っています。
そちらの Vollo を閉じてから起動してください。</source>
        <translation>The repository &quot;%1&quot; is in use by another running Vollo.
Close that Vollo, then start again.</translation>
    </message>
    <message>
        <source>リポジトリ「%1」は壊れています（%2）。このファイルには何も書き込んでいません。
写しを残して新しいリポジトリを始めるか、バックアップから戻してください。</source>
        <translation>The repository &quot;%1&quot; is damaged (%2). Nothing was written to this file.
Keep a copy and start a new repository, or restore it from a backup.</translation>
    </message>
    <message>
        <source>「%1」は Vollo のリポジトリではありません（%2）。このファイルには何も書き込んでいません。
別の場所へ移すか名前を変えれば、新しいリポジトリを始められます。</source>
        <translation>&quot;%1&quot; is not a Vollo repository (%2). Nothing was written to this file.
Move it elsewhere or rename it to start a new repository.</translation>
    </message>
    <message>
        <source>リポジトリ「%1」を開けませんでした（%2）。
ファイルの読み取り許可を確かめてください。</source>
        <translation>The repository &quot;%1&quot; could not be opened (%2).
Check that the file may be read.</translation>
    </message>
    <message>
        <source>名前を付け替えられません</source>
        <translation>it cannot be renamed</translation>
    </message>
    <message>
        <source>リポジトリのフォルダー「%1」を作れませんでした。
フォルダーの親に書き込めるか、ディスクに空きがあるかを確かめてください。</source>
        <translation>The repository folder &quot;%1&quot; could not be made.
Check that its parent folder can be written and that the disk has free space.</translation>
    </message>
    <message>
        <source>リポジトリの元になるテンプレート「%1」が使えません（%2）。リポジトリ「%3」は作っていません。
Vollo を入れ直してテンプレートを戻してください。</source>
        <translation>The template &quot;%1&quot; that new repositories are made from cannot be used (%2). The repository &quot;%3&quot; was not made.
Install Vollo again to bring the template back.</translation>
    </message>
    <message>
        <source>テンプレート「%1」をリポジトリ「%2」へ写せませんでした（%3）。
ディスクの空きとフォルダーの書き込み許可を確かめてください。</source>
        <translation>The template &quot;%1&quot; could not be copied to the repository &quot;%2&quot; (%3).
Check the free disk space and that the folder can be written.</translation>
    </message>
    <message>
        <source>リポジトリ「%1」に書き込めませんでした（%2）。
ディスクとファイルの状態を確かめてから、Vollo を起動し直してください。</source>
        <translation>The repository &quot;%1&quot; could not be written (%2).
Check the disk and the file, then start Vollo again.</translation>
    </message>
    <message>
        <source>リポジトリ「%1」は読み取り専用で、書き込めません。一覧は見られますが、ファイルの収集と分類の変更はできません。
ファイルとフォルダー「%2」の書き込み許可を戻してから、Vollo を起動し直してください。</source>
        <translation>The repository &quot;%1&quot; is read-only. You can look at the lists, but not collect files or change categories.
Allow writing to the file and the folder &quot;%2&quot; again, then start Vollo again.</translation>
    </message>
    <message>
        <source>リポジトリ「%1」のあるディスクに空きがありません。一覧は見られますが、空きができるまでファイルの収集と分類の変更はできません。
不要なファイルを消して空きを作ってから、Vollo を起動し直してください。</source>
        <translation>The disk of the repository &quot;%1&quot; is full. You can look at the lists, but not collect files or change categories until there is free space.
Delete files you do not need, then start Vollo again.</translation>
    </message>
    <message>
        <source>リポジトリ「%1」を「%2」へ移せませんでした。
フォルダーの書き込み許可を確かめてください。</source>
        <translation>The repository &quot;%1&quot; could not be moved to &quot;%2&quot;.
Check that the folder can be written.</translation>
    </message>
    <message>
        <source>リポジトリ「%1」を新しい形に更新できませんでした（%2）。
リポジトリは元のままです。</source>
        <translation>The repository &quot;%1&quot; could not be updated to the new format (%2).
The repository is unchanged.</translation>
    </message>
    <message>
        <source>Vollo のデータフォルダー「%1」が、Vollo の動いている間に削除されたか移されました。リポジトリとショートカットはもうそこにありません。
一覧は消える前のまま見られますが、ファイルの収集と分類の変更はできません。フォルダーをバックアップから戻してから Vollo を起動し直すか、そのまま起動し直して新しく始めてください。</source>
        <translation>Vollo&apos;s data folder &quot;%1&quot; was deleted or moved while Vollo was running. The repository and the shortcuts are no longer there.
You can still look at the lists as they were, but not collect files or change categories. Restore the folder from a backup and start Vollo again, or just start Vollo again to begin afresh.</translation>
    </message>
    <message>
        <source>ディスクに空きがないため、テンプレート「%1」をリポジトリ「%2」へ写せませんでした。
不要なファイルを消して空きを作ってから、Vollo を起動し直してください。</source>
        <translation>The template &quot;%1&quot; could not be copied to the repository &quot;%2&quot;: the disk is full.
Delete files you do not need to make room, then start Vollo again.</translation>
    </message>
</context>
<context>
    <name>CFileListView</name>
    <message>
        <source>The file list has no list to show its rows in</source>
        <translation>The file list has no list to show its rows in</translation>
    </message>
    <message>
        <source>ファイル一覧</source>
        <translation>File list</translation>
    </message>
    <message>
        <source>The file list is not bound to a list</source>
        <translation>The file list is not bound to a list</translation>
    </message>
    <message>
        <source>No values were given for the new row</source>
        <translation>No values were given for the new row</translation>
    </message>
</context>
<context>
    <name>CFindBox</name>
    <message>
        <source>検索</source>
        <translation>Search</translation>
    </message>
</context>
<context>
    <name>CTagImport</name>
    <message>
        <source>タグの名前が UTF-8 ではないため、カテゴリにできません: %1</source>
        <translation>The tag name is not UTF-8 and cannot become a category: %1</translation>
    </message>
    <message numerus="yes">
        <source>%1 (%Ln 件)</source>
        <translation>
            <numerusform>%1 (%Ln document)</numerusform>
            <numerusform>%1 (%Ln documents)</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>CTagMirror</name>
    <message numerus="yes">
        <source>%Ln 件の文書にはカテゴリをタグ (user.xdg.tags) として書き込めませんでした。Vollo の中のカテゴリはそのままです。</source>
        <translation>
            <numerusform>Categories could not be written as tags (user.xdg.tags) on %Ln document. The categories in Vollo are unchanged.</numerusform>
            <numerusform>Categories could not be written as tags (user.xdg.tags) on %Ln documents. The categories in Vollo are unchanged.</numerusform>
        </translation>
    </message>
    <message>
        <source>・%1
    %2</source>
        <translation>• %1
    %2</translation>
    </message>
    <message>
        <source>ほか %L1 件</source>
        <translation>and %L1 more</translation>
    </message>
    <message>
        <source>%1 件の文書にはカテゴリをタグ (user.xdg.tags) として書き込めませんでした。Vollo の中のカテゴリはそのままです。</source>
        <translation>Categories could not be written as tags (user.xdg.tags) on %1 documents. The categories in Vollo are unchanged.</translation>
    </message>
    <message>
        <source>ほか %1 件</source>
        <translation>and %1 more</translation>
    </message>
</context>
<context>
    <name>CLeftOut</name>
    <message>
        <source>リンクが自分自身をたどる輪になっていて、先がありません。</source>
        <translation>The link leads round in a loop to itself and points to nothing.</translation>
    </message>
    <message numerus="yes">
        <source>%Ln 件を取り込めませんでした。</source>
        <translation>
            <numerusform>%Ln item could not be collected.</numerusform>
            <numerusform>%Ln items could not be collected.</numerusform>
        </translation>
    </message>
    <message>
        <source>・%1
    %2</source>
        <translation>- %1
    %2</translation>
    </message>
    <message>
        <source>ほか %L1 件</source>
        <translation>and %L1 more</translation>
    </message>
    <message>
        <source>名前を変える、読み取りの権限を確かめるなどしてから、もう一度取り込んでください。取り込めたものはそのまま残っています。</source>
        <translation>Rename them, check the read permissions or the like, then collect them again. What was collected stays.</translation>
    </message>
    <message>
        <source>名前に UTF-8 でない文字が含まれているため、取り込めません。</source>
        <translation>Its name holds characters that are not UTF-8, so it cannot be collected.</translation>
    </message>
    <message>
        <source>読み取りか書き込みの権限がありません。</source>
        <translation>No permission to read or write.</translation>
    </message>
    <message>
        <source>名前かパスが長すぎます。</source>
        <translation>The name or the path is too long.</translation>
    </message>
    <message>
        <source>ディスクの空きが足りません。</source>
        <translation>There is not enough free disk space.</translation>
    </message>
    <message>
        <source>書き込めない（読み取り専用の）場所です。</source>
        <translation>The place cannot be written (it is read-only).</translation>
    </message>
    <message>
        <source>見つかりません。</source>
        <translation>Not found.</translation>
    </message>
    <message>
        <source>エラー: %1</source>
        <translation>Error: %1</translation>
    </message>
    <message>
        <source>%1 件を取り込めませんでした。</source>
        <translation>%1 items could not be collected.</translation>
    </message>
    <message>
        <source>ほか %1 件</source>
        <translation>and %1 more</translation>
    </message>
</context>
<context>
    <name>CListFiller</name>
    <message>
        <source>見つかりません</source>
        <translation>Not found</translation>
    </message>
</context>
<context>
    <name>CListViewControl</name>
    <message>
        <source>Index out of bounds: %1 (the list holds %2 rows)</source>
        <translation>Index out of bounds: %1 (the list holds %2 rows)</translation>
    </message>
</context>
<context>
    <name>CMoveFollower</name>
    <message>
        <source>フォルダの監視数がシステムの上限に達しました (%1)。
ほかのフォルダで移動された文書は自動ではつなぎ直されません。「見つからない文書を探す」で探してください。</source>
        <translation>The system&apos;s limit of watched folders has been reached (%1).
Documents moved in other folders are not followed automatically. Use &quot;Find Missing Documents&quot; to look for them.</translation>
    </message>
    <message>
        <source>見つからない文書を探しています...</source>
        <translation>Looking for missing documents...</translation>
    </message>
    <message>
        <source>見つからない文書はありません。</source>
        <translation>No document is missing.</translation>
    </message>
    <message>
        <source>%L1 件の見つからない文書の移動先は見つかりませんでした。</source>
        <translation>Missing documents whose new place could not be found: %L1.</translation>
    </message>
    <message>
        <source>%L1 件の文書をつなぎ直しました。</source>
        <translation>Documents relinked: %L1.</translation>
    </message>
    <message>
        <source>フォルダの監視数がシステムの上限に達しました (%L1)。
ほかのフォルダで移動された文書は自動ではつなぎ直されません。「見つからない文書を探す」で探してください。</source>
        <translation>The system&apos;s limit of watched folders has been reached (%L1).
Documents moved in other folders are not relinked by themselves; look for them with &quot;Find Missing Documents&quot;.</translation>
    </message>
    <message numerus="yes">
        <source>%Ln 件の文書は見つかりませんでした。</source>
        <translation>
            <numerusform>%Ln document was not found.</numerusform>
            <numerusform>%Ln documents were not found.</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 件の見つからない文書の移動先は見つかりませんでした。</source>
        <translation>Missing documents whose new place could not be found: %1.</translation>
    </message>
    <message>
        <source>%1 件の文書をつなぎ直しました。</source>
        <translation>Documents relinked: %1.</translation>
    </message>
    <message>
        <source>フォルダの監視数がシステムの上限に達しました (%1)。
ほかのフォルダで移動された文書は、起動時または「見つからない文書を探す」で探します。</source>
        <translation>The system&apos;s limit of watched folders has been reached (%1).
Documents moved in other folders are looked for at start or with &quot;Find Missing Documents&quot;.</translation>
    </message>
    <message numerus="yes">
        <source>%n 件の文書は見つかりませんでした。</source>
        <translation>
            <numerusform>%n document was not found.</numerusform>
            <numerusform>%n documents were not found.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>CStoredText</name>
    <message>
        <source>すべてのファイル</source>
        <translation>All Files</translation>
    </message>
    <message>
        <source>名前</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>サイズ</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>更新日時</source>
        <translation>Modified</translation>
    </message>
    <message>
        <source>初めての起動です。ドキュメント フォルダーの文書を Vollo に登録しますか？</source>
        <translation>This is the first start. Add the documents in your Documents folder to Vollo?</translation>
    </message>
    <message>
        <source>仕事</source>
        <translation>Work</translation>
    </message>
    <message>
        <source>個人</source>
        <translation>Personal</translation>
    </message>
    <message>
        <source>重要</source>
        <translation>Important</translation>
    </message>
    <message>
        <source>最近使ったファイル</source>
        <translation>Recent Files</translation>
    </message>
    <message>
        <source>文書</source>
        <translation>Documents</translation>
    </message>
    <message>
        <source>表計算</source>
        <translation>Spreadsheets</translation>
    </message>
    <message>
        <source>プレゼンテーション</source>
        <translation>Presentations</translation>
    </message>
    <message>
        <source>テキスト</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Web ページ</source>
        <translation>Web Pages</translation>
    </message>
    <message>
        <source>画像</source>
        <translation>Images</translation>
    </message>
</context>
<context>
    <name>CUserCategories</name>
    <message>
        <source>サブカテゴリを含める</source>
        <translation>Subcategories Included</translation>
    </message>
</context>
<context>
    <name>CWalkProgress</name>
    <message>
        <source>ドキュメントを収集しています...</source>
        <translation>Collecting documents...</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message numerus="yes">
        <source>%Ln 個のファイル</source>
        <translation>
            <numerusform>%Ln file</numerusform>
            <numerusform>%Ln files</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 個のファイル</source>
        <translation>
            <numerusform>%n file</numerusform>
            <numerusform>%n files</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>FormAbout</name>
    <message>
        <source>本ソフトウェアは、文書を移動することなくカテゴリで整理するためのプログラムです。本ソフトウェアは現状のまま提供され、商品性および特定目的への適合性を含め、明示・黙示を問わず一切の保証はありません。本ソフトウェアの使用または使用不能により生じたいかなる損害についても、開発者は責任を負いません。</source>
        <translation>This software organises documents by category without moving them. It is provided as is, without warranty of any kind, express or implied, including merchantability and fitness for a particular purpose. The developers are not liable for any damage arising from the use of, or the inability to use, this software.</translation>
    </message>
    <message>
        <source>バージョン情報</source>
        <translation>About</translation>
    </message>
    <message>
        <source>文書をそのままに、カテゴリで整理</source>
        <translation>Documents stay put, sorted by category</translation>
    </message>
    <message>
        <source>製品名</source>
        <translation>Product</translation>
    </message>
    <message>
        <source>バージョン</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>著作権</source>
        <translation>Copyright</translation>
    </message>
</context>
<context>
    <name>FormCategory</name>
    <message>
        <source>カテゴリを絞り込む</source>
        <translation>Filter categories</translation>
    </message>
    <message>
        <source>カテゴリ設定</source>
        <translation>Categories of the File</translation>
    </message>
    <message>
        <source>カテゴリ</source>
        <translation>Category</translation>
    </message>
    <message>
        <source>ファイルに付いているカテゴリ &quot;%1&quot; がカテゴリ一覧にありません。Vollo を起動し直すと一覧が読み直されます。</source>
        <translation>The file&apos;s category &quot;%1&quot; is not in the list of categories. Start Vollo again to read the list anew.</translation>
    </message>
    <message numerus="yes">
        <source>%Ln 個のファイルを選択中</source>
        <translation>
            <numerusform>%Ln file selected</numerusform>
            <numerusform>%Ln files selected</numerusform>
        </translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message numerus="yes">
        <source>%Ln 個のファイルのカテゴリ</source>
        <translation>
            <numerusform>Categories of %Ln File</numerusform>
            <numerusform>Categories of %Ln Files</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 個のファイルを選択中</source>
        <translation>%1 files selected</translation>
    </message>
    <message numerus="yes">
        <source>%n 個のファイルのカテゴリ</source>
        <translation>
            <numerusform>Categories of %n File</numerusform>
            <numerusform>Categories of %n Files</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>FormChooseMove</name>
    <message>
        <source>「%1」が見つかりません。
移動先の候補が複数あります。どれがこの文書か選んでください。</source>
        <translation>&quot;%1&quot; is missing.
There are several candidates for where it went. Choose the one that is this document.</translation>
    </message>
    <message>
        <source>選択</source>
        <translation>Choose</translation>
    </message>
    <message>
        <source>スキップ</source>
        <translation>Skip</translation>
    </message>
</context>
<context>
    <name>FormMain</name>
    <message>
        <source>検索</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>ファイル一覧の切り替え</source>
        <translation>Switch file list</translation>
    </message>
    <message>
        <source>状態</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>ツールバー</source>
        <translation>Toolbar</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>情報</source>
        <translation>About</translation>
    </message>
    <message>
        <source>カテゴリ</source>
        <translation>Category</translation>
    </message>
    <message>
        <source>フォルダ</source>
        <translation>Folder</translation>
    </message>
    <message numerus="yes">
        <source>%Ln 個のファイル</source>
        <translation>
            <numerusform>%Ln file</numerusform>
            <numerusform>%Ln files</numerusform>
        </translation>
    </message>
    <message>
        <source>ツリーと一覧の境界</source>
        <translation>Divider between the tree and the lists</translation>
    </message>
    <message>
        <source>フォルダを取り込む...</source>
        <translation>Collect Folder...</translation>
    </message>
    <message>
        <source>取り込むフォルダを選んでください</source>
        <translation>Choose the folder to collect</translation>
    </message>
    <message>
        <source>フォルダ「%1」が見つかりません。</source>
        <translation>The folder &quot;%1&quot; was not found.</translation>
    </message>
    <message>
        <source>データフォルダがないため、変更できません。Vollo を起動し直してください。</source>
        <translation>Nothing can be changed because the data folder is gone. Start Vollo again.</translation>
    </message>
    <message>
        <source>（%L1 個を選択）</source>
        <translation> (%L1 selected)</translation>
    </message>
    <message>
        <source>見つからない文書を探す</source>
        <translation>Find Missing Documents</translation>
    </message>
    <message>
        <source>ここにファイルをドロップするか、Ctrl+O でフォルダの文書を取り込みます。</source>
        <translation>Drop files here, or press Ctrl+O to collect the documents of a folder.</translation>
    </message>
    <message>
        <source>文書を読み込んでいます…</source>
        <translation>Reading the documents…</translation>
    </message>
    <message numerus="yes">
        <source>%n 個のファイル</source>
        <translation>
            <numerusform>%n file</numerusform>
            <numerusform>%n files</numerusform>
        </translation>
    </message>
    <message>
        <source>（%1 個を選択）</source>
        <translation> (%1 selected)</translation>
    </message>
    <message>
        <source>フォルダにはカテゴリを付けられません。フォルダの文書は「Vollo に登録」で取り込めます。</source>
        <translation>A folder cannot be given categories. &quot;Add to Vollo&quot; collects the documents in a folder.</translation>
    </message>
    <message>
        <source>クエリに一致する文書はありません。</source>
        <translation>No documents match the query.</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>リポジトリからウィンドウを作れませんでした。</source>
        <translation>The window could not be built from the repository.</translation>
    </message>
    <message>
        <source>リポジトリを開けませんでした。</source>
        <translation>The repository could not be opened.</translation>
    </message>
    <message>
        <source>%1
%2

%3

詳細: %4</source>
        <translation>%1
%2

%3

Details: %4</translation>
    </message>
    <message>
        <source>ほかの Vollo がリポジトリを使っています。そちらを終了してから、もう一度お試しください。</source>
        <translation>Another Vollo is using the repository. Quit it, then try again.</translation>
    </message>
    <message>
        <source>リポジトリのフォルダに書き込めません。フォルダの権限と空き容量を確かめてください。</source>
        <translation>The repository folder cannot be written. Check the folder&apos;s permissions and the free space.</translation>
    </message>
    <message>
        <source>ディスクがいっぱいです。空きを作ってから、もう一度お試しください。</source>
        <translation>The disk is full. Free some space, then try again.</translation>
    </message>
    <message>
        <source>リポジトリのファイルが壊れています。ファイルを別の場所へ移してから起動すると、新しいリポジトリが作られます。</source>
        <translation>The repository file is damaged. Move the file elsewhere and start again to make a new repository.</translation>
    </message>
    <message>
        <source>もう一度お試しください。繰り返し起きるときは、下の詳細を添えて開発者にお知らせください。</source>
        <translation>Please try again. If it keeps happening, tell the developers and include the details below.</translation>
    </message>
    <message>
        <source>%1

詳細: %2</source>
        <translation>%1

Details: %2</translation>
    </message>
    <message>
        <source>フォルダ「%1」を開けませんでした。</source>
        <translation>The folder &quot;%1&quot; could not be opened.</translation>
    </message>
    <message>
        <source>ショートカット「%1」を読めませんでした。
%2</source>
        <translation>The shortcut &quot;%1&quot; could not be read.
%2</translation>
    </message>
    <message>
        <source>「%1」が見つかりません。
ファイルが移動されたか削除された可能性があります。</source>
        <translation>&quot;%1&quot; was not found.
The file may have been moved or deleted.</translation>
    </message>
    <message>
        <source>「%1」を開くアプリケーションが見つかりませんでした。</source>
        <translation>No application was found to open &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>「%1」が見つかりません。</source>
        <translation>&quot;%1&quot; was not found.</translation>
    </message>
    <message>
        <source>アプリケーション「%1」が見つかりません。</source>
        <translation>The application &quot;%1&quot; was not found.</translation>
    </message>
    <message>
        <source>「%1」を開けませんでした。
%2</source>
        <translation>&quot;%1&quot; could not be opened.
%2</translation>
    </message>
    <message>
        <source>名前: %1</source>
        <translation>Name: %1</translation>
    </message>
    <message>
        <source>場所: %1</source>
        <translation>Location: %1</translation>
    </message>
    <message>
        <source>ショートカット: %1</source>
        <translation>Shortcut: %1</translation>
    </message>
    <message>
        <source>ファイルが見つかりません。</source>
        <translation>The file was not found.</translation>
    </message>
    <message>
        <source>種類: %1</source>
        <translation>Type: %1</translation>
    </message>
    <message>
        <source>サイズ: %1 (%2 バイト)</source>
        <translation>Size: %1 (%2 bytes)</translation>
    </message>
    <message>
        <source>更新日時: %1</source>
        <translation>Modified: %1</translation>
    </message>
    <message>
        <source>作成日時: %1</source>
        <translation>Created: %1</translation>
    </message>
    <message>
        <source>アクセス日時: %1</source>
        <translation>Accessed: %1</translation>
    </message>
</context>
<context>
    <name>RM_RecentMirror</name>
    <message>
        <source>デスクトップの「最近使ったファイル」の記録が壊れていて読めません（%1）。前に読めた一覧のままにしています。このファイルを消すと、デスクトップが新しく作り直します。</source>
        <translation>The desktop&apos;s record of recent files is damaged and cannot be read (%1). The list read before is kept. Delete that file and the desktop makes a new one.</translation>
    </message>
</context>
<context>
    <name>CCliAdd</name>
    <message>
        <source>ファイルとフォルダを取り込みます。フォルダからは初回起動と同じ種類の文書を取り込みます。</source>
        <translation>Collects files and folders. From folders it collects the kinds of documents the first start collects.</translation>
    </message>
    <message>
        <source>取り込んだ文書をこのカテゴリに入れます。</source>
        <translation>Puts the collected documents into this category.</translation>
    </message>
    <message>
        <source>ファイルかフォルダ。いくつでも指定できます。</source>
        <translation>A file or folder; any number may be given.</translation>
    </message>
    <message>
        <source>取り込むファイルかフォルダを指定してください。</source>
        <translation>Name the files or folders to collect.</translation>
    </message>
    <message numerus="yes">
        <source>%Ln 個の文書を取り込みました。
</source>
        <translation>
            <numerusform>%Ln document collected.
</numerusform>
            <numerusform>%Ln documents collected.
</numerusform>
        </translation>
    </message>
    <message>
        <source>文書に付いているファイル マネージャーのタグ (user.xdg.tags) をカテゴリにして分類します。</source>
        <translation>Makes the file manager tags (user.xdg.tags) found on the documents categories and files the documents under them.</translation>
    </message>
    <message>
        <source>取り込んだ文書にファイル マネージャーのタグが付いています:
</source>
        <translation>The collected documents carry file manager tags:
</translation>
    </message>
    <message>
        <source>これらのタグをカテゴリにして分類しますか？ [y/N] </source>
        <translation>Make these tags categories and file the documents under them? [y/N] </translation>
    </message>
    <message>
        <source>カテゴリにするには --import-tags を付けてもう一度実行してください。
</source>
        <translation>To make them categories, run again with --import-tags.
</translation>
    </message>
    <message>
        <source>%1 個のタグで文書を分類しました (新しいカテゴリ %2 個)。
</source>
        <translation>Filed the documents under %1 tags (%2 new categories).
</translation>
    </message>
    <message>
        <source>%1 個の文書を取り込みました。
</source>
        <translation>%1 documents collected.
</translation>
    </message>
</context>
<context>
    <name>CCliBackup</name>
    <message>
        <source>リポジトリの写しを作ります。ウィンドウが書き込んでいる間も一貫した写しです。</source>
        <translation>Copies the repository; the copy is consistent even while the window writes.</translation>
    </message>
    <message>
        <source>写しの保存先。</source>
        <translation>Where the copy is saved.</translation>
    </message>
    <message>
        <source>保存先のファイルを 1 つ指定してください。</source>
        <translation>Name one file to save the copy to.</translation>
    </message>
    <message>
        <source>リポジトリそのものには写せません: %1</source>
        <translation>Cannot copy the repository onto itself: %1</translation>
    </message>
</context>
<context>
    <name>CCliCategories</name>
    <message>
        <source>カテゴリとその文書の数を表示します。</source>
        <translation>Shows the categories with their document counts.</translation>
    </message>
    <message>
        <source>名前だけを表示します。</source>
        <translation>Shows the names only.</translation>
    </message>
    <message>
        <source>引数は受け付けません: %1</source>
        <translation>No arguments are accepted: %1</translation>
    </message>
</context>
<context>
    <name>CCliFindMissing</name>
    <message>
        <source>移動された文書を探し、確かに見つかったものをつなぎ直します。</source>
        <translation>Looks for moved documents and relinks those found for certain.</translation>
    </message>
    <message>
        <source>つなぎ直さずに、見つかったものを表示します。</source>
        <translation>Shows what was found without relinking it.</translation>
    </message>
    <message>
        <source>%1: 移動先の候補が複数あるため、つなぎ直しませんでした:</source>
        <translation>%1: not relinked, as it may have moved to more than one place:</translation>
    </message>
    <message>
        <source>%1: 移動先が見つかりませんでした。</source>
        <translation>%1: not found anywhere it may have moved to.</translation>
    </message>
    <message>
        <source>見つからない文書はありません。</source>
        <translation>No document is missing.</translation>
    </message>
    <message>
        <source>引数は要りません。</source>
        <translation>This command takes no arguments.</translation>
    </message>
</context>
<context>
    <name>CCsvImport</name>
    <message>
        <source>%1 の %2 行目の引用符が閉じていません。</source>
        <translation>%1: the quotes opened on line %2 are never closed.</translation>
    </message>
    <message>
        <source>%1 は Vollo の書き出した CSV ファイルではありません (1 行目は path で始まる列名です)。</source>
        <translation>%1 is not a CSV file written by Vollo (its first line names the columns, path first).</translation>
    </message>
</context>
<context>
    <name>CCliCheck</name>
    <message>
        <source>リポジトリが壊れていないか、ショートカットと登録が合っているかを確かめます。</source>
        <translation>Checks that the repository is sound and that its shortcuts and registrations agree.</translation>
    </message>
    <message>
        <source>ショートカットと登録を合わせます (指定しなければ何も変えません)。</source>
        <translation>Brings shortcuts and registrations in line (without it nothing is changed).</translation>
    </message>
    <message>
        <source>直しました</source>
        <translation>repaired</translation>
    </message>
    <message>
        <source>直せます</source>
        <translation>--repair mends them</translation>
    </message>
    <message>
        <source>ショートカットのない登録: %L1 件 (%2)
</source>
        <translation>Registrations without a shortcut: %L1 (%2)
</translation>
    </message>
    <message>
        <source>登録のないショートカット: %L1 件 (%2)
</source>
        <translation>Shortcuts without a registration: %L1 (%2)
</translation>
    </message>
    <message>
        <source>行き先のないショートカット: %L1 件 (%2)
</source>
        <translation>Shortcuts that point nowhere: %L1 (%2)
</translation>
    </message>
    <message>
        <source>見つからない文書: %L1 件
</source>
        <translation>Documents not found: %L1
</translation>
    </message>
    <message>
        <source>問題はありません。
</source>
        <translation>No problems found.
</translation>
    </message>
    <message>
        <source>ショートカットのない登録: %1 件 (%2)
</source>
        <translation>Registrations without a shortcut: %1 (%2)
</translation>
    </message>
    <message>
        <source>登録のないショートカット: %1 件 (%2)
</source>
        <translation>Shortcuts without a registration: %1 (%2)
</translation>
    </message>
    <message>
        <source>行き先のないショートカット: %1 件 (%2)
</source>
        <translation>Shortcuts that point nowhere: %1 (%2)
</translation>
    </message>
    <message>
        <source>見つからない文書: %1 件
</source>
        <translation>Documents not found: %1
</translation>
    </message>
</context>
<context>
    <name>CCliCommand</name>
    <message>
        <source>使い方は vollo %1 --help で表示されます。
</source>
        <translation>Run vollo %1 --help for usage.
</translation>
    </message>
    <message>
        <source>リポジトリはほかの処理 (Vollo のウィンドウなど) が使用中です。しばらくしてから、もう一度お試しください。
%1</source>
        <translation>The repository is in use by another process (such as the Vollo window). Wait a moment, then try again.
%1</translation>
    </message>
    <message>
        <source>リポジトリ「%1」は壊れています（%2）。
vollo check で確かめ、バックアップから戻してください。</source>
        <translation>The repository &quot;%1&quot; is damaged (%2).
Check it with vollo check, and restore it from a backup.</translation>
    </message>
</context>
<context>
    <name>CCliDeleteCategory</name>
    <message>
        <source>カテゴリを削除します。文書は登録されたまま残ります。</source>
        <translation>Deletes a category; its documents stay registered.</translation>
    </message>
    <message>
        <source>確認せずに削除します。</source>
        <translation>Deletes without asking.</translation>
    </message>
    <message>
        <source>削除するカテゴリの名前。</source>
        <translation>The name of the category to delete.</translation>
    </message>
    <message numerus="yes">
        <source>カテゴリ「%1」を削除しますか？ %Ln 個の文書からこのカテゴリが外れます。[y/N] </source>
        <translation>
            <numerusform>Delete the category &quot;%1&quot;? %Ln document loses this category. [y/N] </numerusform>
            <numerusform>Delete the category &quot;%1&quot;? %Ln documents lose this category. [y/N] </numerusform>
        </translation>
    </message>
    <message>
        <source>カテゴリの名前を 1 つ指定してください。</source>
        <translation>Name one category.</translation>
    </message>
    <message>
        <source>確認できる端末がありません。--yes を付けてください。</source>
        <translation>There is no terminal to ask on. Add --yes.</translation>
    </message>
    <message>
        <source>削除をやめました。</source>
        <translation>Nothing was deleted.</translation>
    </message>
    <message>
        <source>カテゴリ「%1」を削除しますか？ %2 個の文書からこのカテゴリが外れます。[y/N] </source>
        <translation>Delete the category &quot;%1&quot;? %2 documents lose this category. [y/N] </translation>
    </message>
</context>
<context>
    <name>CCliExport</name>
    <message>
        <source>カテゴリ、文書、保存した検索を書き出します。</source>
        <translation>Exports the categories, documents and saved searches.</translation>
    </message>
    <message>
        <source>json (既定) か csv。</source>
        <translation>json (the default) or csv.</translation>
    </message>
    <message>
        <source>書き出し先。省略すると標準出力です。</source>
        <translation>The file to write; standard output when left out.</translation>
    </message>
    <message>
        <source>形式は json か csv です: %1</source>
        <translation>The format is json or csv: %1</translation>
    </message>
    <message>
        <source>書き出し先は 1 つだけ指定できます。</source>
        <translation>Only one file to write may be given.</translation>
    </message>
    <message>
        <source>%1 に書き込めませんでした: %2</source>
        <translation>Could not write %1: %2</translation>
    </message>
</context>
<context>
    <name>CCliImport</name>
    <message>
        <source>書き出したファイルを取り込みます。同じ文書は二重に登録しません。</source>
        <translation>Imports an exported file; no document is registered twice.</translation>
    </message>
    <message>
        <source>vollo export で書き出したファイル (JSON か CSV)。</source>
        <translation>A file written by vollo export (JSON or CSV).</translation>
    </message>
    <message>
        <source>取り込むファイルを 1 つ指定してください。</source>
        <translation>Name one file to import.</translation>
    </message>
    <message>
        <source>%1 を読めませんでした: %2</source>
        <translation>Could not read %1: %2</translation>
    </message>
    <message>
        <source>%L1 件の文書を登録し、%L2 件は登録済みでした。カテゴリを %L3 個作り、%L4 件のカテゴリを付けました。
</source>
        <translation>Documents registered: %L1, already registered: %L2; categories made: %L3, category links added: %L4.
</translation>
    </message>
    <message>
        <source>vollo export で書き出したファイル。</source>
        <translation>A file written by vollo export.</translation>
    </message>
    <message>
        <source>%1 件の文書を登録し、%2 件は登録済みでした。カテゴリを %3 個作り、%4 件のカテゴリを付けました。
</source>
        <translation>%1 documents registered, %2 already registered; %3 categories made, %4 category links added.
</translation>
    </message>
</context>
<context>
    <name>CCliList</name>
    <message>
        <source>条件に合う文書のパスを 1 行に 1 つずつ表示します。</source>
        <translation>Shows the paths of the matching documents, one per line.</translation>
    </message>
    <message>
        <source>改行の代わりに NUL で区切ります。</source>
        <translation>Separates with NUL instead of newline.</translation>
    </message>
    <message>
        <source>パス、カテゴリ、サイズ、更新日時を JSON で表示します。</source>
        <translation>Shows path, categories, size and modified time as JSON.</translation>
    </message>
    <message>
        <source>カテゴリ名。省略するとすべての文書です。</source>
        <translation>A category name; all documents when left out.</translation>
    </message>
    <message>
        <source>-0 と --json は同時に指定できません。</source>
        <translation>-0 and --json cannot be used together.</translation>
    </message>
</context>
<context>
    <name>CCliMain</name>
    <message>
        <source>コマンド:</source>
        <translation>Commands:</translation>
    </message>
    <message>
        <source>各コマンドの使い方は vollo コマンド --help で表示されます。</source>
        <translation>Run vollo COMMAND --help for a command&apos;s usage.</translation>
    </message>
</context>
<context>
    <name>CCliNewCategory</name>
    <message>
        <source>カテゴリを作ります。</source>
        <translation>Makes a category.</translation>
    </message>
    <message>
        <source>新しいカテゴリの名前。</source>
        <translation>The new category&apos;s name.</translation>
    </message>
    <message>
        <source>カテゴリの名前を 1 つ指定してください。</source>
        <translation>Name one category.</translation>
    </message>
</context>
<context>
    <name>CCliRenameCategory</name>
    <message>
        <source>カテゴリの名前を変えます。</source>
        <translation>Renames a category.</translation>
    </message>
    <message>
        <source>今の名前。</source>
        <translation>The current name.</translation>
    </message>
    <message>
        <source>新しい名前。</source>
        <translation>The new name.</translation>
    </message>
    <message>
        <source>今の名前と新しい名前を指定してください。</source>
        <translation>Give the current name and the new name.</translation>
    </message>
</context>
<context>
    <name>CCliTag</name>
    <message>
        <source>ファイルをカテゴリに入れます。登録されていないファイルは登録します。</source>
        <translation>Puts files into a category, registering those not registered yet.</translation>
    </message>
    <message>
        <source>ファイルをカテゴリから外します。</source>
        <translation>Takes files out of a category.</translation>
    </message>
    <message>
        <source>カテゴリの名前。</source>
        <translation>The category&apos;s name.</translation>
    </message>
    <message>
        <source>ファイル。いくつでも指定できます。</source>
        <translation>A file; any number may be given.</translation>
    </message>
    <message>
        <source>フォルダです。フォルダは vollo add で取り込みます。</source>
        <translation>This is a folder. Folders are collected with vollo add.</translation>
    </message>
    <message>
        <source>%1: Vollo に登録されていません。</source>
        <translation>%1: not registered in Vollo.</translation>
    </message>
    <message>
        <source>カテゴリの名前とファイルを指定してください。</source>
        <translation>Give a category name and files.</translation>
    </message>
</context>
<context>
    <name>CDocumentQuery</name>
    <message>
        <source>カテゴリ「%1」はありません。</source>
        <translation>There is no category &quot;%1&quot;.</translation>
    </message>
</context>
<context>
    <name>CRepositoryBackup</name>
    <message>
        <source>%1 を開けませんでした: %2</source>
        <translation>Could not open %1: %2</translation>
    </message>
    <message>
        <source>%1 に書き込めませんでした: %2</source>
        <translation>Could not write %1: %2</translation>
    </message>
    <message>
        <source>%1 を %2 へ写せませんでした: %3</source>
        <translation>Could not copy %1 to %2: %3</translation>
    </message>
</context>
<context>
    <name>CRepositoryImport</name>
    <message>
        <source>%1 は Vollo の書き出したファイルではありません。</source>
        <translation>%1 is not a file exported by Vollo.</translation>
    </message>
    <message>
        <source>%1 はこの Vollo より新しい形で書き出されています。</source>
        <translation>%1 was exported in a newer form than this Vollo reads.</translation>
    </message>
</context>
<context>
    <name>CQueryParser</name>
    <message>
        <source>引用符が閉じられていません</source>
        <translation>The quotation mark is never closed</translation>
    </message>
    <message>
        <source>日付が読めません (例: 2024、2024-03、2024-03-15)</source>
        <translation>This is no date (for example 2024, 2024-03, 2024-03-15)</translation>
    </message>
    <message>
        <source>大きさが読めません (例: 10MB、&gt;500KB)</source>
        <translation>This is no size (for example 10MB, &gt;500KB)</translation>
    </message>
    <message>
        <source>場所のフォルダーを書いてください</source>
        <translation>Write the folder to look in</translation>
    </message>
    <message>
        <source>状態は 未分類、見つかりません、重複 のどれかです</source>
        <translation>The state is one of uncategorised, missing, duplicate</translation>
    </message>
    <message>
        <source>「%1:」の後に値を書いてください</source>
        <translation>Write a value after “%1:”</translation>
    </message>
    <message>
        <source>「%1」の後に条件がありません</source>
        <translation>Nothing to combine after “%1”</translation>
    </message>
    <message>
        <source>「%1」の前に条件がありません</source>
        <translation>Nothing to combine before “%1”</translation>
    </message>
    <message>
        <source>「(」のない「)」です</source>
        <translation>This “)” closes no “(”</translation>
    </message>
    <message>
        <source>括弧の中に条件がありません</source>
        <translation>Nothing inside the brackets</translation>
    </message>
    <message>
        <source>「(」が「)」で閉じられていません</source>
        <translation>This “(” is never closed by a “)”</translation>
    </message>
    <message>
        <source>入れ子が深すぎます</source>
        <translation>Nested too deeply</translation>
    </message>
    <message>
        <source>条件が多すぎます</source>
        <translation>Too many conditions</translation>
    </message>
</context>
<context>
    <name>CQueryView</name>
    <message>
        <source>クエリ</source>
        <translation>Query</translation>
    </message>
    <message>
        <source>クエリの誤り</source>
        <translation>Query error</translation>
    </message>
    <message>
        <source>検索結果</source>
        <translation>Results</translation>
    </message>
    <message>
        <source>%1 文字目: %2</source>
        <translation>At character %1: %2</translation>
    </message>
    <message>
        <source>いずれか</source>
        <translation>Any</translation>
    </message>
    <message>
        <source>Ctrl+クリックで選んだカテゴリのいずれかにある文書を表示します（オフ: すべてにある文書）</source>
        <translation>Show the documents in any of the categories chosen with Ctrl+click (off: in all of them)</translation>
    </message>
    <message>
        <source>検索を保存...</source>
        <translation>Save Search...</translation>
    </message>
</context>
<context>
    <name>CHomeFolder</name>
    <message>
        <source>vollo: ホームフォルダーがわかりません。HOME が設定されておらず、ユーザー %1 のホームも登録されていません。HOME を設定してから起動してください。
</source>
        <translation>vollo: there is no home folder. HOME is not set and user %1 has no home in the password database. Set HOME, then start Vollo again.
</translation>
    </message>
</context>
<context>
    <name>CStartCheck</name>
    <message>
        <source>vollo: ディスプレイ「%1」に接続できませんでした。X サーバーが動いているか、DISPLAY が正しいかを確かめてください。
</source>
        <translation>vollo: the display &quot;%1&quot; could not be reached. Check that its X server runs and that DISPLAY is right.
</translation>
    </message>
    <message>
        <source>vollo: ホームフォルダーがわかりません。HOME が設定されておらず、ユーザー %1 のホームも登録されていません。HOME を設定してから起動してください。
</source>
        <translation>vollo: there is no home folder. HOME is not set and user %1 has no home in the password database. Set HOME, then start Vollo again.
</translation>
    </message>
</context>
<context>
    <name>CSavedSearches</name>
    <message>
        <source>検索の名前が空です。名前を入力してください。</source>
        <translation>The search has no name. Enter a name.</translation>
    </message>
    <message>
        <source>検索「%1」はすでにあります（大文字と小文字は区別しません）。
別の名前を入力してください。</source>
        <translation>A search named “%1” already exists (letter case is ignored).
Enter another name.</translation>
    </message>
</context>
<context>
    <name>CSavedSearchTree</name>
    <message>
        <source>保存した検索</source>
        <translation>Saved Searches</translation>
    </message>
    <message>
        <source>未分類</source>
        <translation>Uncategorised</translation>
    </message>
    <message>
        <source>見つかりません</source>
        <translation>Missing</translation>
    </message>
    <message>
        <source>重複</source>
        <translation>Duplicates</translation>
    </message>
    <message>
        <source>検索の名前を変更...</source>
        <translation>Rename Search...</translation>
    </message>
    <message>
        <source>検索を削除</source>
        <translation>Delete Search</translation>
    </message>
    <message>
        <source>重複した文書の中身を比べています...</source>
        <translation>Comparing the contents of duplicate documents…</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>保存するクエリがありません。クエリを入力してください。</source>
        <translation>There is no query to save. Enter a query.</translation>
    </message>
    <message>
        <source>このクエリは読めないため保存できません。
%1</source>
        <translation>This query cannot be read, so it cannot be saved.
%1</translation>
    </message>
    <message>
        <source>検索を保存</source>
        <translation>Save Search</translation>
    </message>
    <message>
        <source>名前の変更</source>
        <translation>Rename</translation>
    </message>
    <message>
        <source>検索の削除</source>
        <translation>Delete Search</translation>
    </message>
    <message>
        <source>保存した検索「%1」を削除しますか？
文書とカテゴリはそのまま残ります。</source>
        <translation>Delete the saved search “%1”?
The documents and categories stay as they are.</translation>
    </message>
    <message>
        <source>検索の名前:</source>
        <translation>Search name:</translation>
    </message>
</context>
</TS>
