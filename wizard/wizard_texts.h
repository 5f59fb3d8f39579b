#pragma once

// The wizard's texts, UTF-8. Lines of a page text are separated by line breaks; an empty line
// stands between paragraphs where the page shows one.
namespace velmora::wizard_texts {

inline constexpr char kCaption[] = "Мастер создания схем";

inline constexpr char kCancel[] = "Отмена";
inline constexpr char kPrev[] = "< Назад";
inline constexpr char kNext[] = "Далее >";
inline constexpr char kOK[] = "OK";

inline constexpr char kHelloHeading[] = "Мастер создания схем\nдля вышивки крестиком";
inline constexpr char kHelloText[] =
    "Вас приветствует мастер создания схем для вышивания крестиком.\n"
    "Сейчас будет произведен сбор необходимой информации для дальнейшей работы.\n"
    "Пожалуйста, следуйте советам мастера для получения корректных результатов.\n"
    "\n"
    "В любой момент Вы можете вернуться к предыдущему экрану, нажав кнопку \"Назад\", или отменить "
    "работу мастера, нажав кнопку \"Отмена\".\n"
    "\n"
    "Для продолжения нажмите кнопку \"Далее\".";

inline constexpr char kSourceHeading[] = "Выбор исходной картинки\nдля создания схемы";
inline constexpr char kSourceText[] =
    "Сейчас Вы должны указать, какое исходное изображение нужно использовать для создания схемы.\n"
    "Для этого нажмите кнопку, расположенную правее от поля названия файла, и в открывшемся диалоге "
    "выберите тот файл, который содержит нужное изображение. При этом Вы сможете сразу увидеть, какое "
    "изображение Вы выбираете.\n"
    "Файл изображения должен быть в формате Windows Bitmap (*.bmp). Если это не так - Вам нужно "
    "преобразовать Ваш файл в указанный формат.";
inline constexpr char kFileNameLabel[] = "Файл исходного изображения:";
inline constexpr char kOpenFileHint[] = "Выбрать файл|Открыть диалог для выбора файла исходного изображения";

inline constexpr char kParamsHeading[] = "Выбор параметров размера и цветов\nдля подготовки схемы";
inline constexpr char kParamsText[] =
    "Сейчас Вы должны указать размеры схемы (в крестиках), которая будет создана, а также максимальное "
    "колическво цветов, которые будут использованы для ее создания (используемых для вышивания ниток).";
inline constexpr char kSizesLabel[] = "Размеры схемы:";
inline constexpr char kWidthLabel[] = "Ширина схемы:";
inline constexpr char kHeightLabel[] = "Высота схемы:";
inline constexpr char kStitchesUnit[] = "крестов";
inline constexpr char kProportional[] = "Сохранять пропорции";
inline constexpr char kColorsLabel[] = "Максимальное количество используемых цветов:";
inline constexpr char kThreadsUnit[] = "ниток";
inline constexpr char kDithering[] = "Использовать алгоритм Dithering";
inline constexpr char kPerceptual[] = "Точные цвета";
inline constexpr char kPerceptualHint[] =
    "Точные цвета|Подбирать нитки так, как цвета видит глаз: схема строится дольше, но ближе к картинке";

inline constexpr char kSymbolsHeading[] = "Выбор используемых символов\nдля обозначения цветов";
inline constexpr char kAllSymbolsLabel[] = "Все символы:";
inline constexpr char kSelSymbolsLabel[] = "Выбранные симвлы:";
inline constexpr char kSymbolsText[] =
    "Выберите символ, который вы желаете добавить в набор, и символ, который вы желаете заменить, затем "
    "нажмите кнопку \"Выбрать\".\n"
    "Символы для более темных цветов должны находиться ниже символов более светлых цветов.";
inline constexpr char kSelect[] = "Выбрать ->";
inline constexpr char kDuplicateCaption[] = "Внимание";
inline constexpr char kDuplicateText[] = "Такой символ уже используется!";

inline constexpr char kFinishHeading[] = "Все готово для создания схемы...";
inline constexpr char kFinishText[] =
    "Мастер создания схемы для вышивания крестиком собрал всю необходимую ему для работы информацию и "
    "готов приступить к ее обработке и генерации схемы.\n"
    "\n"
    "Если Вы хотите изменить какие-либо параметры, нажмите кнопку \"Назад\" для возврата к предыдущим "
    "шагам и укажите новые данные.\n"
    "Если Вы не хотите создавать схему - нажмите кнопку \"Отмена\".\n"
    "\n"
    "Для продолжения нажмите кнопку \"OK\".";

// Why a picture could not be loaded: one line under the file name.
inline constexpr char kPictureDamaged[] = "Файл изображения поврежден или неполон.";
inline constexpr char kPictureNoFile[] = "Такого файла нет.";
inline constexpr char kPictureNotAFile[] = "Это не файл, а папка или устройство.";
inline constexpr char kPictureUnreadable[] = "Файл не удается прочитать.";
inline constexpr char kPictureUnknownKind[] = "Файл не содержит изображения известного программе формата.";
inline constexpr char kPictureUnsupported[] = "Изображение этого вида программа показать не может.";
inline constexpr char kPictureTooLarge[] = "Изображение слишком велико.";
inline constexpr char kPictureNoMemory[] = "Для этого изображения не хватает памяти.";

} // namespace velmora::wizard_texts
