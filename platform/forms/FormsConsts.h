#pragma once
// The texts the forms library shows, each written once (the message dialogs'
// captions and buttons, and the control tree's errors, are in
// platform/app/AppConsts.h). Format patterns take their arguments through
// Format (platform/rtl/SysUtils.h).

inline constexpr char SShowModalWithoutApplication[] = "ShowModal sem aplicação: chame InitializeForms";
inline constexpr char SCannotShowModal[] = "Não é possível tornar modal uma janela visível";
inline constexpr char SPrinterSetupCaption[] = "Configurar impressão";
inline constexpr char SNoQtDialog[] = "Nenhum diálogo Qt para %s";
