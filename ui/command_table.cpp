#include "ui/command_table.h"

#include <map>

namespace korvanta {

const std::vector<MenuDefinition>& MainMenu()
{
    static const std::vector<MenuDefinition> menu{
        {"ﾌｧｲﾙ(&F)",
         {{ID_FILE_NEW, "新規作成(&N)"},
          {ID_FILE_OPEN, "GIFを開く(&O)..."},
          {ID_FILE_SAVE, "上書き保存(&S)"},
          {ID_FILE_SAVE_AS, "名前を付けて保存(&A)..."},
          {0, nullptr},
          {ID_INSERT_IMAGE, "イメージを挿入..."},
          {ID_SAVE_SELECTED_IMAGE, "選択イメージのみ保存..."},
          {0, nullptr},
          {ID_FILE_MRU_FILE1, kRecentFilePlaceholder},
          {0, nullptr},
          {ID_APP_EXIT, "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"}}},
        {"編集(&E)",
         {{ID_EDIT_CUT, "切り取り(&T)"}, {ID_EDIT_COPY, "ｺﾋﾟｰ(&C)"}, {ID_EDIT_PASTE, "貼り付け(&P)"}}},
        {"表示(&V)", {{ID_VIEW_TOOLBAR, "ﾂｰﾙ ﾊﾞｰ(&T)"}, {ID_VIEW_STATUS_BAR, "ｽﾃｰﾀｽ ﾊﾞｰ(&S)"}}},
        {"ブロック挿入(&B)",
         {{ID_INSERT_IMAGE, "イメージを挿入(&I)"},
          {ID_INSERT_CONTROL, "コントロール(&R)"},
          {ID_INSERT_COMMENT, "コメント(&C)"},
          {ID_INSERT_TEXT, "テキスト(&T)"},
          {ID_INSERT_LOOP, "ループ(&L)"}}},
        {"ﾍﾙﾌﾟ(&H)",
         {{ID_HELP_FINDER, "ﾄﾋﾟｯｸの検索(&H)"}, {0, nullptr}, {ID_APP_ABOUT, "ﾊﾞｰｼﾞｮﾝ情報 (&A)..."}}},
    };
    return menu;
}

const std::vector<unsigned>& ToolbarCommands()
{
    static const std::vector<unsigned> commands{ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE,  0,
                                                ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, 0,
                                                ID_APP_ABOUT};
    return commands;
}

QList<QKeySequence> AcceleratorsOf(unsigned id)
{
    switch (id) {
        case ID_EDIT_COPY:
            return {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)};
        case ID_EDIT_CUT:
            return {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)};
        case ID_EDIT_PASTE:
            return {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)};
        case ID_EDIT_UNDO:
            return {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)};
        case ID_FILE_NEW:
            return {QKeySequence(Qt::CTRL | Qt::Key_N)};
        case ID_FILE_OPEN:
            return {QKeySequence(Qt::CTRL | Qt::Key_O)};
        case ID_FILE_SAVE:
            return {QKeySequence(Qt::CTRL | Qt::Key_S)};
        case ID_FILE_PRINT:
            return {QKeySequence(Qt::CTRL | Qt::Key_P)};
        case ID_INSERT_IMAGE:
            return {QKeySequence(Qt::CTRL | Qt::Key_I)};
        case ID_INSERT_CONTROL:
            return {QKeySequence(Qt::CTRL | Qt::Key_R)};
        case ID_NEXT_PANE:
            return {QKeySequence(Qt::Key_F6)};
        case ID_PREV_PANE:
            return {QKeySequence(Qt::SHIFT | Qt::Key_F6)};
        default:
            return {};
    }
}

namespace {

// Status-bar text, then after "\n" the tooltip.
const std::map<unsigned, const char*>& Prompts()
{
    static const std::map<unsigned, const char*> prompts{
        {ID_PLAY, "再生\nanimate"},
        {ID_INSERT_IMAGE, "ｲﾒｰｼﾞを読み込み、ﾌﾞﾛｯｸとして挿入します\n絵を読み込む"},
        {ID_INSERT_CONTROL, "ｺﾝﾄﾛｰﾙﾌﾞﾛｯｸを挿入します\nコントロール挿入"},
        {ID_INSERT_COMMENT, "ｺﾒﾝﾄﾌﾞﾛｯｸを挿入します\nコメント挿入"},
        {ID_INSERT_TEXT, "ﾃｷｽﾄﾌﾞﾛｯｸを挿入します\nテキスト挿入"},
        {ID_INSERT_LOOP, "ﾙｰﾌﾟﾌﾞﾛｯｸを挿入します\nﾙｰﾌﾟﾌﾞﾛｯｸ挿入"},
        {ID_SAVE_SELECTED_IMAGE, "選択中のｲﾒｰｼﾞﾌﾞﾛｯｸをBMPﾌｧｲﾙとして出力します\n１枚出力"},
        {ID_FILE_NEW, "新規にGIFﾌｧｲﾙを作成します\n新規ﾌｧｲﾙ"},
        {ID_FILE_OPEN, "既存のGIFﾌｧｲﾙを開きます\n開く"},
        {ID_FILE_SAVE, "作業中のﾌｧｲﾙを保存します\n保存"},
        {ID_FILE_SAVE_AS, "作業中のﾌｧｲﾙに名前を付けて保存\n名前をつけて保存"},
        {ID_FILE_MRU_FILE1, "指定のﾌｧｲﾙを開く"},
        {ID_EDIT_COPY, "選択ブロックをｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰします\nｺﾋﾟ-"},
        {ID_EDIT_CUT, "選択ブロックを切り取ります\n切り取り"},
        {ID_EDIT_PASTE, "ｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容を貼り付けます\n貼り付け"},
        {ID_APP_ABOUT, "ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示\nﾊﾞｰｼﾞｮﾝ情報"},
        {ID_APP_EXIT, "Korvantaを終了します\n終了"},
        {ID_HELP_FINDER, "ヘルプを開きます\nヘルプを開きます"},
        {ID_VIEW_TOOLBAR, "ﾂｰﾙ ﾊﾞｰの表示/非表示\nﾂｰﾙ ﾊﾞｰの表示/非表示"},
        {ID_VIEW_STATUS_BAR, "ｽﾃｰﾀｽ ﾊﾞｰの表示/非表示\nｽﾃｰﾀｽ ﾊﾞｰの表示/非表示"},
    };
    return prompts;
}

QString PromptPart(unsigned id, int part)
{
    const auto it = Prompts().find(id);
    if (it == Prompts().end())
        return {};
    const QStringList parts = QString::fromUtf8(it->second).split(QLatin1Char('\n'));
    return part < parts.size() ? parts[part] : QString();
}

}  // namespace

QString StatusTipOf(unsigned id)
{
    return PromptPart(id, 0);
}

QString ToolTipOf(unsigned id)
{
    return PromptPart(id, 1);
}

QString ToolbarIconOf(unsigned id)
{
    switch (id) {
        case ID_FILE_NEW:
            return QStringLiteral(":/toolbar/new.xpm");
        case ID_FILE_OPEN:
            return QStringLiteral(":/toolbar/open.xpm");
        case ID_FILE_SAVE:
            return QStringLiteral(":/toolbar/save.xpm");
        case ID_EDIT_CUT:
            return QStringLiteral(":/toolbar/cut.xpm");
        case ID_EDIT_COPY:
            return QStringLiteral(":/toolbar/copy.xpm");
        case ID_EDIT_PASTE:
            return QStringLiteral(":/toolbar/paste.xpm");
        case ID_APP_ABOUT:
            return QStringLiteral(":/toolbar/about.xpm");
        default:
            return {};
    }
}

}  // namespace korvanta
