#include "form1.h"
#include "shell/frmmain.h"

void frmMain::Command4_Click()
{
    if (!m_portDialog)
        m_portDialog = std::make_unique<Form1>(comSerial1(), this);
    m_portDialog->showModal();
}
