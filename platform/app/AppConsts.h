#pragma once
// The texts the application library shows, each written once: the captions and
// buttons of message dialogs, and its errors. Format patterns take their
// arguments through Format (platform/rtl/SysUtils.h).

inline constexpr char SMsgDlgWarning[] = "Aviso";
inline constexpr char SMsgDlgError[] = "Erro";
inline constexpr char SMsgDlgInformation[] = "Informação";
inline constexpr char SMsgDlgConfirm[] = "Confirmação";
inline constexpr char SMsgDlgYes[] = "Sim";
inline constexpr char SMsgDlgNo[] = "Não";
inline constexpr char SMsgDlgOK[] = "OK";
inline constexpr char SMsgDlgCancel[] = "Cancelar";
inline constexpr char SMsgDlgAbort[] = "Abortar";
inline constexpr char SMsgDlgRetry[] = "Repetir";
inline constexpr char SMsgDlgIgnore[] = "Ignorar";
inline constexpr char SMsgDlgAll[] = "Todos";
inline constexpr char SMsgDlgNoToAll[] = "Não para todos";
inline constexpr char SMsgDlgYesToAll[] = "Sim para todos";
inline constexpr char SMsgDlgHelp[] = "Ajuda";

// The scripted dialog service
inline constexpr char SDialogCallType[] = "O diálogo %d não é %s";
inline constexpr char SDialogRequestType[] = "O diálogo pedido não é %s";

// Control trees (the widget controls of platform/forms and the headless ones)
inline constexpr char SControlParentSetToSelf[] = "Um controle não pode ser pai de si mesmo";

// The application's handler of exceptions its event loop caught
inline constexpr char SUnknownException[] = "Exceção desconhecida";

// The registry store and the desktop's file types
inline constexpr char SRegNoConfigFolder[] = "A pasta de configurações do usuário não é conhecida";
inline constexpr char SRegWriteFailed[] = "Não foi possível gravar o registro em %s";
inline constexpr char SRegNoKeyOpen[] = "Nenhuma chave do registro está aberta";
