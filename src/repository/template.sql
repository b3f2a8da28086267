-- The template of every user's repository. vollo_mkdb turns this script into
-- vollo.db at build time; the program copies vollo.db to the user's data
-- folder on its first start and never writes to the template itself.
--
-- The statements stored in `query` are written in the program's dialect:
-- strings in double quotes, dates as #...#, DELETE * FROM, UPDATE t set t.col.
-- Placeholders (%name) stand inside the quotes that their value needs; the
-- program escapes each value for those quotes when it fills them in.

-- Statements by key.
CREATE TABLE query (
    key TEXT NOT NULL PRIMARY KEY COLLATE NOCASE,
    sql TEXT NOT NULL
);

-- Settings and texts, one row per key; a list is kept under numbered keys
-- (the column headers, in ID order). A unique key also lets the change flag,
-- written after every statement, be updated in a single pass.
CREATE TABLE resource (
    ID    INTEGER PRIMARY KEY,
    Key   TEXT NOT NULL UNIQUE COLLATE NOCASE,
    Value TEXT,
    Extra INTEGER
);

-- The change flag is written after every statement. Writing the value it
-- already holds would only cost a page write per statement, so such writes
-- are dropped here.
CREATE TRIGGER resourceUnchanged BEFORE UPDATE ON resource
WHEN NEW.Value IS OLD.Value AND NEW.Extra IS OLD.Extra AND NEW.Key IS OLD.Key
     AND NEW.ID IS OLD.ID
BEGIN
    SELECT RAISE(IGNORE);
END;

-- The window's own state: one row.
CREATE TABLE setting (
    ID                 INTEGER PRIMARY KEY CHECK (ID = 1),
    firstStart         BOOLEAN NOT NULL,
    firstStartQuestion TEXT NOT NULL,
    nLeft              INTEGER NOT NULL,
    nTop               INTEGER NOT NULL,
    nWidth             INTEGER NOT NULL,
    nHeight            INTEGER NOT NULL,
    tabIndex           TEXT NOT NULL,
    -- Categories mirrored into the desktop's tags: 0 not asked yet, 1 off, 2 on.
    xdgTags            INTEGER NOT NULL DEFAULT 0
);

-- Registered documents: the path of each one's shortcut in the repository
-- folder and the day it was registered (ISO text).
CREATE TABLE files (
    ID      INTEGER PRIMARY KEY AUTOINCREMENT,
    path    TEXT NOT NULL UNIQUE,
    fileAge DATE
);

-- Categories. IDs up to 500 belong to categories; extension categories use
-- 1001 and up, so the two never meet in the category tree.
CREATE TABLE tags (
    ID      INTEGER PRIMARY KEY AUTOINCREMENT,
    tagName TEXT NOT NULL UNIQUE
);

CREATE TABLE filetags (
    ID     INTEGER PRIMARY KEY AUTOINCREMENT,
    fileID INTEGER NOT NULL REFERENCES files (ID) ON DELETE CASCADE,
    tagID  INTEGER NOT NULL REFERENCES tags (ID) ON DELETE CASCADE,
    UNIQUE (fileID, tagID)
);
CREATE INDEX filetagsByTag ON filetags (tagID, fileID);

-- Extension categories: a name in the tree and the extensions it gathers,
-- separated by blanks. "RecentFiles" marks the node of recent documents.
CREATE TABLE extension (
    extID   INTEGER PRIMARY KEY CHECK (extID > 1000),
    extName TEXT NOT NULL,
    fileEXT TEXT NOT NULL
);

-- Each file with the extension of its document: the shortcut's ".lnk" taken
-- off, then the text from the last dot of the name (empty without a dot).
CREATE VIEW fileExtension AS
SELECT ID, path,
       CASE WHEN instr(base, '.') > 0
            THEN '.' || lower(replace(base, rtrim(base, replace(base, '.', '')), ''))
            ELSE '' END AS ext
FROM (SELECT ID, path, replace(doc, rtrim(doc, replace(doc, '/', '')), '') AS base
      FROM (SELECT ID, path,
                   CASE WHEN lower(substr(path, -4)) = '.lnk'
                        THEN substr(path, 1, length(path) - 4)
                        ELSE path END AS doc
            FROM files));

INSERT INTO resource (Key, Value, Extra) VALUES
    ('IsUpdatedDB', 'FALSE', NULL),
    ('RootFolder', 'すべてのファイル', NULL),
    ('ColumnHeader1', '名前', 3000),
    ('ColumnHeader2', 'サイズ', 1200),
    ('ColumnHeader3', '更新日時', 2400),
    ('SplitterLeft', NULL, 0),
    ('FileExt', '.doc .docx .xls .xlsx .ppt .pptx .odt .ods .odp .pdf .txt .md .rtf .csv .htm .html .jpg .jpeg .png .gif', NULL);

INSERT INTO setting VALUES
    (1, 0, '初めての起動です。ドキュメント フォルダーの文書を Vollo に登録しますか？', 0, 0, 0, 0, 'H0', 0);

INSERT INTO tags (ID, tagName) VALUES
    (1, '仕事'),
    (2, '個人'),
    (3, '重要');

INSERT INTO extension (extID, extName, fileEXT) VALUES
    (1001, '最近使ったファイル', 'RecentFiles'),
    (1002, '文書', '.doc .docx .odt .rtf'),
    (1003, '表計算', '.xls .xlsx .ods .csv'),
    (1004, 'プレゼンテーション', '.ppt .pptx .odp'),
    (1005, 'PDF', '.pdf'),
    (1006, 'テキスト', '.txt .md'),
    (1007, 'Web ページ', '.htm .html'),
    (1008, '画像', '.jpg .jpeg .png .gif');

INSERT INTO query (key, sql) VALUES
-- Files
    ('addFileName',    'INSERT INTO files (path, fileAge) VALUES ("%fileName", %fileAge)'),
    ('delFileName',    'DELETE * FROM files WHERE path = "%fileName"'),
    ('getFileName',    'SELECT ID FROM files WHERE path = "%fileName"'),
    ('getFileNameAll', 'SELECT ID, path FROM files ORDER BY ID'),
    ('getFileNameOfExt',
        'SELECT ID, path FROM fileExtension WHERE ext <> "" AND '
        || 'instr(" " || replace(replace(lower("%fileExt"), ",", " "), ";", " ") || " ", " " || ext || " ") > 0 '
        || 'ORDER BY ID'),
-- Categories
    ('addTagName',     'INSERT INTO tags (tagName) VALUES ("%tagName")'),
    ('delTagName',     'DELETE * FROM tags WHERE tagName = "%tagName"'),
    ('getTagName',     'SELECT ID, tagName FROM tags ORDER BY ID'),
    ('setTagName',     'UPDATE tags set tags.tagName = "%tagName" WHERE ID = %tagID'),
    ('delTagID',       'DELETE * FROM tags WHERE ID = %tagID'),
    ('delFileTagOfTag','DELETE * FROM filetags WHERE tagID = %tagID'),
    ('getFileCountOfTag', 'SELECT count(*) FROM filetags WHERE tagID = %tagID'),
-- Links between files and categories
    ('addFileTag',     'INSERT INTO filetags (fileID, tagID) VALUES (%fileID, %tagID)'),
    ('delFileTag',     'DELETE * FROM filetags WHERE fileID = %fileID AND tagID = %tagID'),
    ('addTableItem',   'INSERT INTO filetags (fileID, tagID) VALUES (%fid, %tid)'),
    ('delTableItem',   'DELETE * FROM filetags WHERE fileID = %fid AND tagID = %tid'),
    ('getFileTag',     'SELECT ID FROM filetags WHERE fileID = %fileID AND tagID = %tagID'),
    ('delFileTagAll',  'DELETE * FROM filetags WHERE fileID = %fileID'),
    ('getFileOfTag',
        'SELECT files.ID, files.path FROM filetags INNER JOIN files ON files.ID = filetags.fileID '
        || 'WHERE filetags.tagID = %tagID ORDER BY files.ID'),
    ('getTagOfFile',   'SELECT tagID FROM filetags WHERE fileID = %fileID ORDER BY tagID'),
-- Extension categories and collected extensions
    ('getExtName',     'SELECT extID, extName, fileEXT FROM extension ORDER BY extID'),
    ('getFileExt',     'SELECT Value FROM resource WHERE Key = "FileExt"'),
-- The window
    ('getRootFolder',  'SELECT Value FROM resource WHERE Key = "RootFolder"'),
    ('getColumnHeader','SELECT Value, Extra FROM resource WHERE Key LIKE "ColumnHeader%" ORDER BY ID'),
    ('getFirstStart',  'SELECT firstStart, firstStartQuestion FROM setting WHERE ID = 1'),
    ('setFirstStart',  'UPDATE setting set setting.firstStart = True WHERE ID = 1'),
    ('getMyPos',       'SELECT nLeft, nTop, nWidth, nHeight FROM setting WHERE ID = 1'),
    ('setMyPos',
        'UPDATE setting set setting.nLeft = %leftPos, setting.nTop = %topPos, '
        || 'setting.nWidth = %widthPos, setting.nHeight = %heightPos WHERE ID = 1'),
    ('getTabIndex',    'SELECT tabIndex FROM setting WHERE ID = 1'),
    ('setTabIndex',    'UPDATE setting set setting.tabIndex = "%tabIndex" WHERE ID = 1'),
    ('getSplitter',    'SELECT Extra FROM resource WHERE Key = "SplitterLeft"'),
    ('setSplitter',
        'UPDATE resource set resource.Extra = %splitterLeft WHERE Key = "SplitterLeft"');
