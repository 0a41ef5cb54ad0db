#pragma once
// The printed report's own texts (UTF-8 here, Windows-1251 through zv::W1251 where
// they are drawn). Spaces and underscores count: they place the columns and the
// signature lines on the paper.

namespace zv::report_text {

inline constexpr const char kAppTitle[] = "ZEVView";
inline constexpr const char kPageOf[] = "Лист %d из %d";
inline constexpr const char kTitleDaily[] = "Среднесуточные показания";
inline constexpr const char kTitleHourly[] = "Среднечасовые показания";
inline constexpr const char kTitleJournal[] = "Журнал изменения настроек";
inline constexpr const char kTitleParameters[] = "Параметры прибора";
inline constexpr const char kDataHead[] = "ДАННЫЕ ТЕПЛОСЧЕТЧИКА";
inline constexpr const char kSettingsHead[] = "НАСТРОЕЧНЫЕ ПАРАМЕТРЫ";
inline constexpr const char kSubscriberLabel[] = "Абонент:";
inline constexpr const char kComputerLabel[] = "Тепловычислитель:";
inline constexpr const char kPeriodLabel[] = "Период:";
inline constexpr const char kStateLabel[] = "Состояние на:";
inline constexpr const char kNoName[] = "БЕЗ НАЗВАНИЯ";
inline constexpr const char kComputerLine[] = "ZEV №%05d; Наработка прибора: %d час.; Тхв: %.01f °С";
inline constexpr const char kFrom[] = "с ";
inline constexpr const char kTo[] = " по ";
inline constexpr const char kNoData[] = "нет данных";
inline constexpr const char kReadingsTitle[] = "Показания вычислителя на конец и начало периода";
inline constexpr const char kTotals[] = "ИТОГО:";
inline constexpr const char kHoursLine[] = "Время нормальной работы: %d часов          Время отсутствия счета: %d час.";
inline constexpr const char kErrorLegend[] = "Коды ошибок - U питание, T датчики температуры, V датчики расхода, E функциональные";
inline constexpr const char kChannel1[] = "   Первый канал:";
inline constexpr const char kNoErrors[] = "Ошибок нет";
inline constexpr const char kChannel2[] = "   Второй канал:";
inline constexpr const char kSignatures1[] = "Представитель абонента:___________________________            Представитель теплоснабжающей организации:___________________________";
inline constexpr const char kSignatures2[] = "Представитель обслуживающей организации:_________________________________________________";
// Asked before printing a table that is wider than the paper's drawing area.
inline constexpr const char kTooWide[] =
    "Таблица не помещается на листе по ширине: столбцы за правым краем не будут напечатаны.\nПечатать?";

}  // namespace zv::report_text
