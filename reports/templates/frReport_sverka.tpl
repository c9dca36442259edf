# Reconciliation act with one counterparty for a period: the opening balance, the documents and
# payments of the period, the turnovers and the closing balance on our side; the counterparty's side
# left blank for it to fill in; the signatures of both.
# Object rows: | x | y | w | h | frame | font | align | fmt | text |

template frReport_sverka
dataset frDBDataSet_sv
page paper=9 width=2100 height=2970 orientation=portrait margins=0,0,0,0
variables none

band ReportTitle1 kind=0 top=24 height=208
| 36 | 0 | 684 | 20 | - | A12b | CM |  | "АКТ СВЕРКИ" |
| 36 | 20 | 684 | 18 | - | A10 | CM |  | "взаимных расчетов [actPeriod]" |
| 36 | 38 | 684 | 36 | - | A10 | CT |  | "между [ADOTable_pr1."np"] и [actParty]" |
| 36 | 78 | 684 | 48 | - | A9 | LT |  | "Мы, нижеподписавшиеся, [ADOTable_pr1."dr"] [ADOTable_pr1."np"] [ADOTable_pr1."fr"], с одной стороны, и _______________________________ [actParty], с другой стороны, составили настоящий акт сверки в том, что состояние взаимных расчетов по данным учета следующее:" |
| 36 | 136 | 372 | 36 | LTRB | A9b | CM |  | "По данным [ADOTable_pr1."np"], руб." |
| 408 | 136 | 312 | 36 | LTRB | A9b | CM |  | "По данным [actParty], руб." |
| 36 | 172 | 54 | 18 | LTRB | A8 | CM |  | "Дата" |
| 90 | 172 | 178 | 18 | LTRB | A8 | CM |  | "Документ" |
| 268 | 172 | 70 | 18 | LTRB | A8 | CM |  | "Дебет" |
| 338 | 172 | 70 | 18 | LTRB | A8 | CM |  | "Кредит" |
| 408 | 172 | 54 | 18 | LTRB | A8 | CM |  | "Дата" |
| 462 | 172 | 118 | 18 | LTRB | A8 | CM |  | "Документ" |
| 580 | 172 | 70 | 18 | LTRB | A8 | CM |  | "Дебет" |
| 650 | 172 | 70 | 18 | LTRB | A8 | CM |  | "Кредит" |
| 36 | 190 | 232 | 18 | LTRB | A8b | LM |  | "Сальдо начальное" |
| 268 | 190 | 70 | 18 | LTRB | A8b | RM | F2 | "[actOpeningDebit]" |
| 338 | 190 | 70 | 18 | LTRB | A8b | RM | F2 | "[actOpeningCredit]" |
| 408 | 190 | 172 | 18 | LTRB | A8b | LM |  | "Сальдо начальное" |
| 580 | 190 | 70 | 18 | LTRB | A8b | RM |  |  |
| 650 | 190 | 70 | 18 | LTRB | A8b | RM |  |  |

band MasterData1 kind=5 top=240 height=18 dataset=frDBDataSet_sv
| 36 | 0 | 54 | 18 | LTRB | A8 | CM |  | "[ADOQuery_sv."dd"]" |
| 90 | 0 | 178 | 18 | LTRB | AN8 | LM |  | "[ADOQuery_sv."dok"] № [ADOQuery_sv."nn"]" |
| 268 | 0 | 70 | 18 | LTRB | A8 | RM | F2 | "[ADOQuery_sv."d"]" |
| 338 | 0 | 70 | 18 | LTRB | A8 | RM | F2 | "[ADOQuery_sv."k1"]" |
| 408 | 0 | 54 | 18 | LTRB | A8 | CM |  |  |
| 462 | 0 | 118 | 18 | LTRB | A8 | LM |  |  |
| 580 | 0 | 70 | 18 | LTRB | A8 | RM |  |  |
| 650 | 0 | 70 | 18 | LTRB | A8 | RM |  |  |

band ReportSummary1 kind=1 top=270 height=310
| 36 | 0 | 232 | 18 | LTRB | A8b | LM |  | "Обороты за период" |
| 268 | 0 | 70 | 18 | LTRB | A8b | RM | F2 | "[actDebit]" |
| 338 | 0 | 70 | 18 | LTRB | A8b | RM | F2 | "[actCredit]" |
| 408 | 0 | 172 | 18 | LTRB | A8b | LM |  | "Обороты за период" |
| 580 | 0 | 70 | 18 | LTRB | A8b | RM |  |  |
| 650 | 0 | 70 | 18 | LTRB | A8b | RM |  |  |
| 36 | 18 | 232 | 18 | LTRB | A8b | LM |  | "Сальдо конечное" |
| 268 | 18 | 70 | 18 | LTRB | A8b | RM | F2 | "[actClosingDebit]" |
| 338 | 18 | 70 | 18 | LTRB | A8b | RM | F2 | "[actClosingCredit]" |
| 408 | 18 | 172 | 18 | LTRB | A8b | LM |  | "Сальдо конечное" |
| 580 | 18 | 70 | 18 | LTRB | A8b | RM |  |  |
| 650 | 18 | 70 | 18 | LTRB | A8b | RM |  |  |
| 36 | 48 | 684 | 36 | - | A9b | LT |  | "[actBalance]" |
| 36 | 86 | 684 | 18 | - | A9 | LT |  | "По данным [actParty]: ______________________________________________________________" |
| 36 | 124 | 330 | 36 | - | A9b | LT |  | "От [ADOTable_pr1."np"]" |
| 408 | 124 | 312 | 36 | - | A9b | LT |  | "От [actParty]" |
| 36 | 166 | 330 | 18 | B | A9 | LB |  | "[ADOTable_pr1."dr"]" |
| 408 | 166 | 312 | 18 | B | A9 | LB |  |  |
| 36 | 185 | 330 | 12 | - | AN7 | CT |  | "должность" |
| 408 | 185 | 312 | 12 | - | AN7 | CT |  | "должность" |
| 36 | 206 | 120 | 18 | B | A9 | CB |  |  |
| 166 | 206 | 200 | 18 | B | A9 | CB |  | "[ADOTable_pr1."fr"]" |
| 408 | 206 | 114 | 18 | B | A9 | CB |  |  |
| 532 | 206 | 188 | 18 | B | A9 | CB |  |  |
| 36 | 225 | 120 | 12 | - | AN7 | CT |  | "подпись" |
| 166 | 225 | 200 | 12 | - | AN7 | CT |  | "расшифровка подписи" |
| 408 | 225 | 114 | 12 | - | AN7 | CT |  | "подпись" |
| 532 | 225 | 188 | 12 | - | AN7 | CT |  | "расшифровка подписи" |
| 36 | 246 | 330 | 18 | - | A9 | LB |  | "Главный бухгалтер" |
| 408 | 246 | 312 | 18 | - | A9 | LB |  | "Главный бухгалтер" |
| 36 | 266 | 120 | 18 | B | A9 | CB |  |  |
| 166 | 266 | 200 | 18 | B | A9 | CB |  | "[ADOTable_pr1."fb"]" |
| 408 | 266 | 114 | 18 | B | A9 | CB |  |  |
| 532 | 266 | 188 | 18 | B | A9 | CB |  |  |
| 36 | 285 | 120 | 12 | - | AN7 | CT |  | "подпись" |
| 166 | 285 | 200 | 12 | - | AN7 | CT |  | "расшифровка подписи" |
| 408 | 285 | 114 | 12 | - | AN7 | CT |  | "подпись" |
| 532 | 285 | 188 | 12 | - | AN7 | CT |  | "расшифровка подписи" |
| 36 | 298 | 60 | 12 | - | A8 | LT |  | "М.П." |
| 408 | 298 | 54 | 12 | - | A8 | LT |  | "М.П." |

band PageFooter1 kind=3 top=600 height=40
| 36 | 16 | 684 | 16 | T | A8 | RT |  | "Лист [Page#]" |
